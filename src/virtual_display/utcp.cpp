#include "virtual_display/framedset.h"

// UTC enhanced: frames of ESC u, a letter, data and CR.
namespace vq::vdisplay {

namespace {

constexpr FramedSet::Function kUtcP[] = {
    {'A', "upper row",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 0, 1);
     }},
    {'B', "lower row",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 1, 1);
     }},
    {'I', "both rows",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 0, 2);
     }},
    {'D', "scroll",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return scrollMessage(set, screen, data, Scrolling::Continuous);
     }},
    {'F', "scroll once",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return scrollMessage(set, screen, data, Scrolling::Once);
     }},
    {'E', "clock",
     [](FramedSet& set, ScreenModel&, QByteArrayView data) {
         return framed(set, QStringLiteral("clock set to %1, not drawn")
                                .arg(QString::fromLatin1(data.toByteArray())));
     }},
};

} // namespace

std::unique_ptr<CommandSet> makeUtcP()
{
    return std::make_unique<FramedSet>(Emulation::UtcP, kUtcP, QByteArray("\x1Bu"));
}

} // namespace vq::vdisplay
