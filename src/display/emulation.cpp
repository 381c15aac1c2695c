#include "display/emulation.h"

#include "shared/frame.h"
#include "shared/guardedsend.h"

namespace vq {

QByteArray emulationCommand(const QByteArray& prefix, const Emulation& row)
{
    return displayCommand(prefix, row.mode);
}

QByteArray resetCommand()
{
    return displayCommand(code::Bell, '1');
}

bool selectEmulation(CommPort& port, Boxes& boxes, Module1& state, const Emulation& row)
{
    if (!guardedSend(port, boxes, emulationCommand(state.EmulationPrefix, row)))
        return false;
    state.ClearCmd = row.clearBytes();
    return true;
}

bool resetDisplay(CommPort& port, Boxes& boxes)
{
    return guardedSend(port, boxes, resetCommand());
}

} // namespace vq
