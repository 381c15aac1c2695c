#include "shared/frame.h"

#include <QList>

namespace vq {

namespace {
constexpr char STX = 0x02;
constexpr char ENQ = 0x05;
constexpr char ETX = 0x03;
} // namespace

QByteArray commandHead(char code)
{
    return QByteArray().append(STX).append(ENQ).append(code);
}

QByteArray displayCommand(const QByteArray& head, char parameter, const QByteArray& data)
{
    QByteArray bytes;
    bytes.reserve(head.size() + data.size() + 2);
    bytes.append(head).append(parameter).append(data).append(ETX);
    return bytes;
}

QByteArray displayCommand(char code, char parameter, const QByteArray& data)
{
    return displayCommand(commandHead(code), parameter, data);
}

QByteArray toDisplayBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const uint c : text.toUcs4())
        bytes.append(c <= 0xFF ? char(c) : '?');
    return bytes;
}

} // namespace vq
