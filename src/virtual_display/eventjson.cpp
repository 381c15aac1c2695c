#include "virtual_display/eventjson.h"

namespace vq::vdisplay {

namespace {

QByteArray jsonValue(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? "true" : "false";
    case QJsonValue::Double:
        return QByteArray::number(value.toInteger());
    case QJsonValue::String:
        return jsonString(value.toString());
    default:
        return "null";
    }
}

QString writeModeName(WriteMode mode)
{
    return mode == WriteMode::Overwrite  ? QStringLiteral("overwrite")
           : mode == WriteMode::Vertical ? QStringLiteral("vertical")
                                         : QStringLiteral("horizontal");
}

QString scrollingName(Scrolling scrolling)
{
    return scrolling == Scrolling::None   ? QString(QLatin1String(""))
           : scrolling == Scrolling::Once ? QStringLiteral("once")
                                          : QStringLiteral("continuous");
}

void appendMember(QByteArray& out, const QString& key, const QByteArray& value)
{
    if (out.size() > 1)
        out += ',';
    out += jsonString(key);
    out += ':';
    out += value;
}

} // namespace

QByteArray jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            // C0, DEL and C1 are legal raw in some places but unreadable in a log.
            if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
                out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out.toUtf8();
}

QByteArray eventToJson(const DisplayEvent& event)
{
    QByteArray out = "{";
    appendMember(out, QStringLiteral("event"), jsonString(eventName(event.kind)));
    for (const auto& [key, value] : event.fields)
        appendMember(out, key, jsonValue(value));
    appendMember(out, QStringLiteral("message"), jsonString(event.message));
    appendMember(out, QStringLiteral("bytes"), jsonString(hexBytes(event.bytes)));
    const ScreenState& screen = event.screen;
    appendMember(out, QStringLiteral("line1"), jsonString(screen.rowText(0)));
    appendMember(out, QStringLiteral("line2"), jsonString(screen.rowText(1)));
    appendMember(out, QStringLiteral("cursor"), QByteArray::number(screen.cursor));
    appendMember(out, QStringLiteral("cursor_shown"), screen.cursorShown ? "true" : "false");
    appendMember(out, QStringLiteral("write_mode"), jsonString(writeModeName(screen.mode)));
    appendMember(out, QStringLiteral("brightness"), QByteArray::number(screen.brightness));
    appendMember(out, QStringLiteral("blink"), QByteArray::number(screen.blink));
    appendMember(out, QStringLiteral("marks1"), jsonString(screen.rowMarks(0)));
    appendMember(out, QStringLiteral("marks2"), jsonString(screen.rowMarks(1)));
    appendMember(out, QStringLiteral("scrolling"), jsonString(scrollingName(screen.scrolling)));
    out += '}';
    return out;
}

} // namespace vq::vdisplay
