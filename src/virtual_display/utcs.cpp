#include "virtual_display/sequenceset.h"

// UTC standard, the core that Logic Controls' displays share.
namespace vq::vdisplay {

namespace {

Said blank(SequenceSet& set, Display& d, int to, const char* what)
{
    d.screen().clearCells(d.screen().cursor(), to);
    return done(set, QLatin1String(what));
}

Said cursorShown(SequenceSet& set, Display& d, bool shown)
{
    d.screen().setCursorShown(shown);
    return done(set, shown ? QStringLiteral("cursor on") : QStringLiteral("cursor off"));
}

Said blinking(SequenceSet& set, Display& d, bool on)
{
    d.screen().setWriteMark(Blink, on);
    return done(set, on ? QStringLiteral("blink on") : QStringLiteral("blink off"));
}

constexpr SequenceSet::Sequence kUtcS[] = {
    {"\x08", 0, "BS", move<&ScreenModel::left>},
    {"\x09", 0, "HT", move<&ScreenModel::right>},
    {"\x0A", 0, "LF", move<&ScreenModel::down>},
    {"\x0D", 0, "CR", move<&ScreenModel::rowStart>},
    {"\x10", 1, "DLE",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const auto cell = static_cast<unsigned char>(p[0]);
         if (cell >= ScreenModel::CellCount)
             return done(set, QStringLiteral("cell %1 out of range, ignored").arg(say::hex(cell)));
         d.screen().setCursor(cell);
         return moved(set, d);
     }},
    {"\x11", 0, "DC1",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().setMode(WriteMode::Overwrite);
         return done(set, QStringLiteral("overwrite"));
     }},
    {"\x12", 0, "DC2",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().setMode(WriteMode::Vertical);
         return done(set, QStringLiteral("vertical scroll"));
     }},
    {"\x13", 0, "DC3",
     [](SequenceSet& set, Display& d, QByteArrayView) { return cursorShown(set, d, true); }},
    {"\x14", 0, "DC4",
     [](SequenceSet& set, Display& d, QByteArrayView) { return cursorShown(set, d, false); }},
    {"\x18", 0, "CAN",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         const int cursor = d.screen().cursor();
         return blank(set, d, cursor - cursor % ScreenModel::Columns + ScreenModel::Columns - 1,
                      "clear to the end of the row");
     }},
    {"\x19", 0, "EM",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return blank(set, d, ScreenModel::CellCount - 1, "clear to the end of the display");
     }},
    {"\x1C", 0, "FS",
     [](SequenceSet& set, Display& d, QByteArrayView) { return blinking(set, d, true); }},
    {"\x1D", 0, "GS",
     [](SequenceSet& set, Display& d, QByteArrayView) { return blinking(set, d, false); }},
    {"\x1E", 0, "RS",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().clear();
         return say::clear(set.emulation(), QStringLiteral("home"));
     }},
    {"\x1F", 0, "US",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         d.screen().clear();
         d.screen().resetModes(true);
         return say::clear(set.emulation(), QStringLiteral("modes reset"));
     }},
    {"\x04", 1, "EOT",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         const auto n = static_cast<unsigned char>(p[0]);
         const int level = n == 0x20 ? 1 : n == 0x40 ? 2 : n == 0x60 ? 3 : n == 0xFF ? 4 : 0;
         if (level == 0)
             return done(set,
                         QStringLiteral("brightness %1 out of range, ignored").arg(say::hex(n)));
         d.screen().setBrightness(level);
         return done(set, QStringLiteral("brightness %1").arg(level));
     }},
    {"\x1B\x64", 0, "ESC d",
     [](SequenceSet&, Display& d, QByteArrayView) {
         d.switchTo(Emulation::UtcP);
         return say::emulation(Emulation::UtcP);
     }},
};

} // namespace

std::unique_ptr<CommandSet> makeUtcS()
{
    return std::make_unique<SequenceSet>(Emulation::UtcS, kUtcS);
}

} // namespace vq::vdisplay
