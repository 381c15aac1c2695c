#include "virtual_display/protocoltables.h"

#include "virtual_display/sequenceset.h"

#include <array>
#include <cstring>

namespace vq::vdisplay {

namespace {

// Each emulation, its mode byte, its name and the command set that reads its bytes.
struct EmulationRow {
    Emulation emulation;
    char mode;
    const char* name;
    std::unique_ptr<CommandSet> (*make)();
};

constexpr std::array<EmulationRow, EmulationCount> emulationRows{{
    {Emulation::Ztk, '7', "ZTK", makeZtk},
    {Emulation::Dsp800, '0', "DSP800", makeDsp800},
    {Emulation::EscPos, '1', "ESC/POS", makeEscPos},
    {Emulation::Adm788, '2', "ADM788", [] { return makeAdm(Emulation::Adm788); }},
    {Emulation::Adm787, '3', "ADM787", [] { return makeAdm(Emulation::Adm787); }},
    {Emulation::Aedex, '4', "AEDEX", makeAedex},
    {Emulation::UtcP, '5', "UTC/P", makeUtcP},
    {Emulation::UtcS, '6', "UTC/S", makeUtcS},
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

// The sets the display's own command selects. The eleven national ones put their characters on
// the twelve code points of Epson's ESC R table; the others keep Latin-1, as nothing public
// says what they hold.
struct CharsetRow {
    const char* name;
    const char16_t* national; // at 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E
};

constexpr std::array<CharsetRow, 16> charsetRows{{
    {"U.S.A", u"#$@[\\]^`{|}~"},
    {"FRANCE", u"#$\u00E0\u00B0\u00E7\u00A7^`\u00E9\u00F9\u00E8\u00A8"},
    {"GERMANY", u"#$\u00A7\u00C4\u00D6\u00DC^`\u00E4\u00F6\u00FC\u00DF"},
    {"U.K", u"\u00A3$@[\\]^`{|}~"},
    {"DENMARK I", u"#$@\u00C6\u00D8\u00C5^`\u00E6\u00F8\u00E5~"},
    {"SWEDEN", u"#\u00A4\u00C9\u00C4\u00D6\u00C5\u00DC\u00E9\u00E4\u00F6\u00E5\u00FC"},
    {"ITALY", u"#$@\u00B0\\\u00E9^\u00F9\u00E0\u00F2\u00E8\u00EC"},
    {"SPAIN", u"\u20A7$@\u00A1\u00D1\u00BF^`\u00A8\u00F1}~"},
    {"JAPAN", u"#$@[\u00A5]^`{|}~"},
    {"NORWAY", u"#\u00A4\u00C9\u00C6\u00D8\u00C5\u00DC\u00E9\u00E6\u00F8\u00E5\u00FC"},
    {"DENMARK II", u"#$\u00C9\u00C6\u00D8\u00C5\u00DC\u00E9\u00E6\u00F8\u00E5\u00FC"},
    {"SLAVONIC", nullptr},
    {"RUSSIA", nullptr},
    {"Factory define (3D)", nullptr},
    {"Factory define (3E)", nullptr},
    {"User define pattern", nullptr},
}};

constexpr char nationalPoints[] = "#$@[\\]^`{|}~";
static_assert(sizeof nationalPoints == 13);

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

std::unique_ptr<CommandSet> makeCommandSet(Emulation emulation)
{
    for (const auto& row : emulationRows) {
        if (row.emulation == emulation)
            return row.make();
    }
    return makeZtk();
}

char emulationMode(Emulation emulation)
{
    for (const auto& row : emulationRows) {
        if (row.emulation == emulation)
            return row.mode;
    }
    return 0;
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
    return QString::fromLatin1(charsetRows[code - 0x30].name);
}

QChar glyphFor(unsigned char byte, unsigned char charset)
{
    if (charset >= 0x30 && charset <= 0x3F && charsetRows[charset - 0x30].national) {
        if (const char* at = std::strchr(nationalPoints, char(byte)); at && byte)
            return QChar(charsetRows[charset - 0x30].national[at - nationalPoints]);
    }
    return QChar::fromLatin1(char(byte));
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
