#include "virtual_display/framedset.h"

// UTC enhanced: frames of ESC u, a letter, data and CR.
namespace vq::vdisplay {

namespace {

// clang-format off
constexpr FramedSet::Function kUtcP[] = {
    {'A', "upper row", frames::upperRow},
    {'B', "lower row", frames::lowerRow},
    {'I', "both rows", frames::bothRows},
    {'D', "scroll", frames::scroll},
    {'F', "scroll once", frames::scrollOnce},
    {'E', "clock", frames::clock},
};
// clang-format on

} // namespace

std::unique_ptr<CommandSet> makeUtcP()
{
    return std::make_unique<FramedSet>(Emulation::UtcP, kUtcP, QByteArray("\x1Bu"));
}

} // namespace vq::vdisplay
