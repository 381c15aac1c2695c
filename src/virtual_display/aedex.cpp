#include "virtual_display/framedset.h"

// AEDEX: frames of an attention code, a function digit, data and CR.
namespace vq::vdisplay {

namespace {

constexpr FramedSet::Function kAedex[] = {
    {'1', "upper row",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 0, 1);
     }},
    {'2', "lower row",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 1, 1);
     }},
    {'9', "both rows",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return writeRows(set, screen, data, 0, 2);
     }},
    {'4', "scroll",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return scrollMessage(set, screen, data, Scrolling::Continuous);
     }},
    {'6', "scroll once",
     [](FramedSet& set, ScreenModel& screen, QByteArrayView data) {
         return scrollMessage(set, screen, data, Scrolling::Once);
     }},
    {'5', "clock",
     [](FramedSet& set, ScreenModel&, QByteArrayView data) {
         return framed(set, QStringLiteral("clock set to %1, not drawn")
                                .arg(QString::fromLatin1(data.toByteArray())));
     }},
    {'8', "attention code",
     [](FramedSet& set, ScreenModel&, QByteArrayView data) {
         if (data.size() != 2)
             return framed(set,
                           QStringLiteral("attention code of %1 bytes, ignored").arg(data.size()));
         set.m_opener = data.toByteArray();
         return framed(set, QStringLiteral("attention code now %1").arg(hexBytes(data)));
     }},
};

} // namespace

std::unique_ptr<CommandSet> makeAedex()
{
    return std::make_unique<FramedSet>(Emulation::Aedex, kAedex, QByteArray("!#"));
}

} // namespace vq::vdisplay
