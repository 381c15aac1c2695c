#include "display/emulation.h"

#include "serial/guardedsend.h"

namespace vq {

QByteArray emulationCommand(const QByteArray& prefix, char mode)
{
    return prefix + mode + '\x03';
}

bool selectEmulation(CommPort& port, Boxes& boxes, Module1& state, const Emulation& row)
{
    if (!guardedSend(port, boxes, emulationCommand(state.EmulationPrefix, row.mode)))
        return false;
    state.ClearCmd = QByteArray(row.clear.data(), qsizetype(row.clear.size()));
    return true;
}

bool resetDisplay(CommPort& port, Boxes& boxes)
{
    return guardedSend(port, boxes, kResetCommand);
}

} // namespace vq
