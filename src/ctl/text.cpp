#include "ctl/text.h"

#include <QList>
#include <QStringDecoder>

namespace vq::ctl {

namespace {

QString escapedChar(uint c)
{
    return QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
}

bool isControl(uint c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

} // namespace

std::optional<QString> wholeUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

QString textOf(QByteArrayView bytes)
{
    return wholeUtf8(bytes).value_or(QString::fromLatin1(bytes));
}

QString printable(const QString& text)
{
    QString out;
    for (const uint c : text.toUcs4())
        out += isControl(c) ? escapedChar(c)
                            : QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    return out;
}

QString printable(const QByteArray& bytes)
{
    if (const auto text = wholeUtf8(bytes))
        return printable(*text);
    QString out;
    for (const char b : bytes) {
        const uchar c = uchar(b);
        out += c >= 0x80 || isControl(c) ? escapedChar(c) : QString(QChar(c));
    }
    return out;
}

} // namespace vq::ctl
