#include "virtual_display/sequenceset.h"

// ADM787 and ADM788 read alike: no public source tells them apart.
namespace vq::vdisplay {

namespace {

constexpr int kColumns = ScreenModel::Columns;

Said blank(SequenceSet& set, Display& d, int from, int to, const char* what)
{
    d.screen().clearCells(from, to);
    d.screen().setCursor(from);
    return done(set, QLatin1String(what));
}

// 11 n and 12 n: n is "1" (upper) or "2" (lower).
Said rowBlink(SequenceSet& set, Display& d, QByteArrayView p, bool on)
{
    if (p[0] != '1' && p[0] != '2')
        return done(set, QStringLiteral("row %1 out of range, ignored").arg(say::hex(p[0])));
    d.screen().setRowBlink(p[0] - '1', on);
    return done(
        set,
        QStringLiteral("%1 row %2").arg(p[0] == '1' ? "upper" : "lower", on ? "blinks" : "steady"));
}

constexpr SequenceSet::Sequence kAdm[] = {
    {"\x0C", 0, "FF", clearScreen},
    {"\x0D", 0, "CR", move<&ScreenModel::rowStart>},
    {"\x0E", 0, "SO",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return blank(set, d, 0, kColumns - 1, "blank the upper row");
     }},
    {"\x0F", 0, "SI",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return blank(set, d, kColumns, 2 * kColumns - 1, "blank the lower row");
     }},
    {"\x1E", 0, "RS",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return blank(set, d, kColumns, kColumns + 7, "blank field 1");
     }},
    {"\x1F", 0, "US",
     [](SequenceSet& set, Display& d, QByteArrayView) {
         return blank(set, d, 2 * kColumns - 8, 2 * kColumns - 1, "blank field 2");
     }},
    {"\x10", 1, "DLE",
     [](SequenceSet& set, Display& d, QByteArrayView p) {
         if (p[0] < '1' || p[0] > '7')
             return done(set, QStringLiteral("cell %1 out of range, ignored").arg(say::hex(p[0])));
         d.screen().markCell(kColumns - (p[0] - '0'), Dot);
         return done(set, QStringLiteral("decimal point %1 from the right").arg(p[0] - '0'));
     }},
    {"\x11", 1, "DC1",
     [](SequenceSet& set, Display& d, QByteArrayView p) { return rowBlink(set, d, p, true); }},
    {"\x12", 1, "DC2",
     [](SequenceSet& set, Display& d, QByteArrayView p) { return rowBlink(set, d, p, false); }},
};

} // namespace

std::unique_ptr<CommandSet> makeAdm(Emulation emulation)
{
    return std::make_unique<SequenceSet>(emulation, kAdm, false);
}

} // namespace vq::vdisplay
