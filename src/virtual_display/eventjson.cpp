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
    appendMember(out, QStringLiteral("line1"), jsonString(event.line1()));
    appendMember(out, QStringLiteral("line2"), jsonString(event.line2()));
    appendMember(out, QStringLiteral("cursor"), QByteArray::number(event.cursor));
    out += '}';
    return out;
}

} // namespace vq::vdisplay
