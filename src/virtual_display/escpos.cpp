#include "virtual_display/sequenceset.h"

// Epson's customer-display ESC/POS, as its owner documents it.
namespace vq::vdisplay {

namespace {

class EscPos final : public SequenceSet {
public:
    EscPos();

    void take(unsigned char byte, Display& display) override
    {
        // With the printer alone selected, only the selection command is the display's.
        if (m_printerOnly &&
            (m_pending.isEmpty() ? byte != ESC : m_pending == "\x1B" && byte != '=')) {
            m_pending.append(static_cast<char>(byte));
            finish(display, say::passThrough(m_emulation, m_pending));
            return;
        }
        SequenceSet::take(byte, display);
    }

    bool m_printerOnly = false;

protected:
    // ESC & y c1 c2, then for each code from c1 to c2 its width x and y times x column bytes.
    int variableLength(QByteArrayView params) const override
    {
        if (params.size() < 3)
            return 3;
        const int y = static_cast<unsigned char>(params[0]);
        const int first = static_cast<unsigned char>(params[1]);
        const int last = static_cast<unsigned char>(params[2]);
        qsizetype at = 3;
        for (int code = first; code <= last && first >= 0x20 && last <= 0x7E; ++code) {
            if (at >= params.size())
                return int(at + 1);
            at += 1 + y * static_cast<unsigned char>(params[at]);
        }
        return int(at);
    }
};

unsigned char param(QByteArrayView params, int index)
{
    return static_cast<unsigned char>(params[index]);
}

Said ignored(SequenceSet& set, QByteArrayView params)
{
    return done(set, QStringLiteral("parameter %1 out of range, ignored").arg(hexBytes(params)));
}

Said setMode(SequenceSet& set, Display& d, WriteMode mode, const char* name)
{
    d.screen().setMode(mode);
    return done(set, QLatin1String(name));
}

constexpr SequenceSet::Sequence kEscPos[] = {
    {"\x0C", 0, "FF", clearScreen},
    {"\x0B", 0, "VT",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().setCursor(0);
         return moved(set, d);
     }},
    {"\x08", 0, "BS", move<&ScreenModel::left>},
    {"\x09", 0, "HT", move<&ScreenModel::right>},
    {"\x0A", 0, "LF", move<&ScreenModel::down>},
    {"\x1F\x0A", 0, "US LF", move<&ScreenModel::up>},
    {"\x0D", 0, "CR", move<&ScreenModel::rowStart>},
    {"\x1F\x0D", 0, "US CR", move<&ScreenModel::rowEnd>},
    {"\x1F\x42", 0, "US B",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().setCursor(ScreenModel::Columns);
         return moved(set, d);
     }},
    {"\x1F\x24", 2, "US $",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const int x = param(p, 0), y = param(p, 1);
         if (x < 1 || x > ScreenModel::Columns || y < 1 || y > ScreenModel::Rows)
             return ignored(set, p);
         d.screen().setCursor((y - 1) * ScreenModel::Columns + x - 1);
         return moved(set, d);
     }},
    {"\x18", 0, "CAN",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         ScreenModel& screen = d.screen();
         screen.rowStart();
         screen.clearCells(screen.cursor(), screen.cursor() + ScreenModel::Columns - 1);
         return done(set, QStringLiteral("blank the cursor's row"));
     }},
    {"\x1F\x01", 0, "US SOH",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return setMode(set, d, WriteMode::Overwrite, "overwrite");
     }},
    {"\x1F\x02", 0, "US STX",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return setMode(set, d, WriteMode::Vertical, "vertical scroll");
     }},
    {"\x1F\x03", 0, "US ETX",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return setMode(set, d, WriteMode::Horizontal, "horizontal scroll");
     }},
    {"\x1F\x43", 1, "US C",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         if (param(p, 0) > 1)
             return ignored(set, p);
         d.screen().setCursorShown(param(p, 0) == 1);
         return done(set, param(p, 0) ? QStringLiteral("cursor shown")
                                      : QStringLiteral("cursor hidden"));
     }},
    {"\x1F\x58", 1, "US X",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         if (param(p, 0) < 1 || param(p, 0) > 4)
             return ignored(set, p);
         d.screen().setBrightness(param(p, 0));
         return done(set, QStringLiteral("brightness %1").arg(param(p, 0)));
     }},
    {"\x1F\x45", 1, "US E",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const int n = param(p, 0);
         d.screen().setBlink(n);
         return done(set, n == 0     ? QStringLiteral("steady")
                          : n == 255 ? QStringLiteral("blanked")
                                     : QStringLiteral("blink every %1 ms").arg(n * 50));
     }},
    {"\x1F\x72", 1, "US r",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         if (param(p, 0) > 1)
             return ignored(set, p);
         d.screen().setWriteMark(Reverse, param(p, 0) == 1);
         return done(set,
                     param(p, 0) ? QStringLiteral("reverse on") : QStringLiteral("reverse off"));
     }},
    {"\x1B\x40", 0, "ESC @",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         static_cast<EscPos&>(set).m_printerOnly = false;
         d.screen().resetModes(true);
         d.screen().clear();
         return done(set, QStringLiteral("initialise"));
     }},
    {"\x1B\x52", 1, "ESC R",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         if (param(p, 0) > 10)
             return ignored(set, p);
         const auto code = static_cast<unsigned char>(PowerOnCharset + param(p, 0));
         d.screen().setCharset(code);
         return Said{EventKind::Charset,
                     QStringLiteral("character set %1").arg(charsetName(code)),
                     {{QStringLiteral("name"), charsetName(code)},
                      {QStringLiteral("code"), say::hex(code)}}};
     }},
    {"\x1B\x74", 1, "ESC t",
     [](SequenceSet& set, Display&, QByteArrayView p) {
         return done(set, QStringLiteral("code table %1 (glyphs stay Latin-1)").arg(param(p, 0)));
     }},
    {"\x1B\x3D", 1, "ESC =",
     [](SequenceSet& set, Display&, QByteArrayView p) {
         const int n = param(p, 0);
         if (n < 1 || n > 3)
             return ignored(set, p);
         static_cast<EscPos&>(set).m_printerOnly = n == 1;
         return done(set, n == 1   ? QStringLiteral("printer selected, display off")
                          : n == 2 ? QStringLiteral("display selected")
                                   : QStringLiteral("printer and display selected"));
     }},
    {"\x1B\x25", 1, "ESC %",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const bool on = param(p, 0) & 1;
         d.screen().setUserGlyphs(on);
         return done(set,
                     on ? QStringLiteral("user glyphs on") : QStringLiteral("user glyphs off"));
     }},
    {"\x1B\x26", -1, "ESC &",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const int y = param(p, 0), first = param(p, 1), last = param(p, 2);
         if (y != 1 || first < 0x20 || last > 0x7E || first > last)
             return ignored(set, p.first(3));
         for (qsizetype at = 3, code = first; code <= last; ++code) {
             const int width = param(p, int(at));
             ScreenModel::Pattern pattern{};
             for (int column = 0; column < width; ++column) {
                 if (column < int(pattern.size()))
                     pattern[size_t(column)] = param(p, int(at + 1 + column));
             }
             d.screen().definePattern(static_cast<unsigned char>(code), pattern);
             at += 1 + width;
         }
         return done(set,
                     QStringLiteral("define glyphs %1 to %2").arg(say::hex(first), say::hex(last)));
     }},
    {"\x1B\x3F", 1, "ESC ?",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         d.screen().deletePattern(param(p, 0));
         return done(set, QStringLiteral("delete glyph %1").arg(say::hex(param(p, 0))));
     }},
};

EscPos::EscPos() : SequenceSet(Emulation::EscPos, kEscPos) {}

} // namespace

std::unique_ptr<CommandSet> makeEscPos()
{
    return std::make_unique<EscPos>();
}

} // namespace vq::vdisplay
