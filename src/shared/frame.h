#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// Command codes of the display's frame; reset and clearing a demo line share BEL and differ by
// parameter.
namespace code {
inline constexpr char SelectEmulation = 'C';
inline constexpr char Bell = 0x07;
inline constexpr char DisplayBaud = 'B';
inline constexpr char DisplayFraming = 'P';
inline constexpr char Charset = 'S';
inline constexpr char StoreLine = 'L';
inline constexpr char ShowDemo = 'D';
} // namespace code

// STX ENQ and the code: how every display command opens.
QByteArray commandHead(char code);

// A whole display command: its head, one parameter byte, the data if any, ETX.
QByteArray displayCommand(const QByteArray& head, char parameter, const QByteArray& data = {});
QByteArray displayCommand(char code, char parameter, const QByteArray& data = {});

// Text for the display: U+0000 to U+00FF become the byte of the same value, anything else "?".
QByteArray toDisplayBytes(const QString& text);

} // namespace vq
