#include "virtual_display/protocoltables.h"

#include <array>

namespace vq::vdisplay {

namespace {

struct EmulationRow {
    Emulation emulation;
    char mode;
    const char* name;
};

constexpr std::array<EmulationRow, 8> emulationRows{{
    {Emulation::Ztk, '7', "ZTK"},
    {Emulation::Dsp800, '0', "DSP800"},
    {Emulation::EscPos, '1', "ESC/POS"},
    {Emulation::Adm788, '2', "ADM788"},
    {Emulation::Adm787, '3', "ADM787"},
    {Emulation::Aedex, '4', "AEDEX"},
    {Emulation::UtcP, '5', "UTC/P"},
    {Emulation::UtcS, '6', "UTC/S"},
}};

struct BaudRow {
    char param;
    int baud;
};

// The odd order at the top end ('7' faster than '6' is wrong) is the device's, not a typo.
constexpr std::array<BaudRow, 8> baudRows{{
    {'5', 300},
    {'4', 600},
    {'3', 1200},
    {'2', 2400},
    {'1', 4800},
    {'0', 9600},
    {'7', 19200},
    {'6', 38400},
}};

struct FramingRow {
    char param;
    Framing framing;
};

constexpr std::array<FramingRow, 6> framingRows{{
    {'1', {'n', 8, 1}},
    {'2', {'n', 7, 1}},
    {'3', {'e', 8, 1}},
    {'4', {'e', 7, 1}},
    {'5', {'o', 8, 1}},
    {'6', {'o', 7, 1}},
}};

constexpr std::array<const char*, 16> charsetNames{
    "U.S.A",
    "FRANCE",
    "GERMANY",
    "U.K",
    "DENMARK I",
    "SWEDEN",
    "ITALY",
    "SPAIN",
    "JAPAN",
    "NORWAY",
    "DENMARK II",
    "SLAVONIC",
    "RUSSIA",
    "Factory define (3D)",
    "Factory define (3E)",
    "User define pattern",
};

constexpr std::array<const char*, 32> controlNames{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

} // namespace

QString emulationName(Emulation emulation)
{
    for (const auto& row : emulationRows) {
        if (row.emulation == emulation)
            return QString::fromLatin1(row.name);
    }
    return {};
}

bool emulationForMode(char mode, Emulation* emulation)
{
    for (const auto& row : emulationRows) {
        if (row.mode == mode) {
            *emulation = row.emulation;
            return true;
        }
    }
    return false;
}

QByteArray dsp800ClearSequence()
{
    return QByteArray("\x04\x01\x43\x31\x58\x17", 6);
}

int baudForParam(char param)
{
    for (const auto& row : baudRows) {
        if (row.param == param)
            return row.baud;
    }
    return 0;
}

QString Framing::text() const
{
    return QStringLiteral("%1,%2,%3").arg(QChar::fromLatin1(parity)).arg(dataBits).arg(stopBits);
}

bool framingForParam(char param, Framing* framing)
{
    for (const auto& row : framingRows) {
        if (row.param == param) {
            *framing = row.framing;
            return true;
        }
    }
    return false;
}

QString charsetName(unsigned char code)
{
    if (code < 0x30 || code > 0x3F)
        return {};
    return QString::fromLatin1(charsetNames[code - 0x30]);
}

QString controlName(unsigned char byte)
{
    if (byte < controlNames.size())
        return QString::fromLatin1(controlNames[byte]);
    if (byte == 0x7F)
        return QStringLiteral("DEL");
    return {};
}

QString hexBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

} // namespace vq::vdisplay
