#include "virtual_display/framedset.h"

// AEDEX: frames of an attention code, a function digit, data and CR.
namespace vq::vdisplay {

namespace {

constexpr FramedSet::Function kAedex[] = {
    {'1', "upper row", frames::upperRow},
    {'2', "lower row", frames::lowerRow},
    {'9', "both rows", frames::bothRows},
    {'4', "scroll", frames::scroll},
    {'6', "scroll once", frames::scrollOnce},
    {'5', "clock", frames::clock},
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
