#include "display/emulation.h"

#include "shared/frame.h"
#include "shared/guardedsend.h"

namespace vq {

QByteArray resetCommand()
{
    return displayCommand(code::Bell, '1');
}

bool selectEmulation(CommPort& port, Boxes& boxes, Module1& state, const Emulation& row)
{
    if (!guardedSend(port, boxes, displayCommand(state.EmulationPrefix, row.mode)))
        return false;
    state.ClearCmd = QByteArray(row.clear.data(), qsizetype(row.clear.size()));
    return true;
}

bool resetDisplay(CommPort& port, Boxes& boxes)
{
    return guardedSend(port, boxes, resetCommand());
}

} // namespace vq
