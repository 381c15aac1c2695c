#pragma once

#include <QByteArray>
#include <QString>

// The display's own view of its command set. Kept apart from the utility's
// command builders on purpose: this side must catch their mistakes, not share them.
namespace vq::vdisplay {

enum class Emulation { Ztk, Dsp800, EscPos, Adm788, Adm787, Aedex, UtcP, UtcS };

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ENQ = 0x05;
constexpr char BEL = 0x07;
constexpr char BS = 0x08;
constexpr char LF = 0x0A;
constexpr char FF = 0x0C;
constexpr char CR = 0x0D;
constexpr char DLE = 0x10;
constexpr char ESC = 0x1B;
constexpr char US = 0x1F;

// Command codes, the third byte of a configuration frame.
constexpr char CodeEmulation = 'C';
constexpr char CodeLineOp = BEL; // reset, clear a stored line
constexpr char CodeBaud = 'B';
constexpr char CodeFraming = 'P';
constexpr char CodeCharset = 'S';
constexpr char CodeStoreLine = 'L';
constexpr char CodeShowDemo = 'D';

constexpr int EmulationCount = int(Emulation::UtcS) + 1;

QString emulationName(Emulation emulation);
char emulationMode(Emulation emulation);
// Mode byte of the select-emulation command; false for an unknown byte.
bool emulationForMode(char mode, Emulation* emulation);

// 0 when the parameter names no baud rate.
int baudForParam(char param);

// The display's own framings are n, e or o with 7 or 8 data bits and one stop bit; a PC line
// may also have mark (m) or space (s) parity, 5 to 8 data bits and 2 stop bits.
struct Framing {
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
    QString text() const;
    bool operator==(const Framing&) const = default;
};
bool framingForParam(char param, Framing* framing);

// Empty when the code names no set.
QString charsetName(unsigned char code);
constexpr unsigned char PowerOnCharset = 0x30;
// What a code shows in a set: a national character on the twelve code points of the national
// sets, Latin-1 otherwise.
QChar glyphFor(unsigned char byte, unsigned char charset);

// Mnemonic of a control byte (00..1F, 7F), e.g. "BEL".
QString controlName(unsigned char byte);

QString hexBytes(QByteArrayView bytes);

} // namespace vq::vdisplay
