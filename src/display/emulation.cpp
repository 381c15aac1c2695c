#include "display/emulation.h"

#include "display/session.h"
#include "shared/frame.h"
#include "shared/guardedsend.h"

namespace vq {

QByteArray resetCommand()
{
    return displayCommand(code::Bell, '1');
}

bool selectEmulation(CommPort& port, Boxes& boxes, DisplaySession& session, const Emulation& row)
{
    if (!guardedSend(port, boxes, session.emulationCommand(row)))
        return false;
    session.emulationSent(row);
    return true;
}

bool resetDisplay(CommPort& port, Boxes& boxes)
{
    return guardedSend(port, boxes, resetCommand());
}

} // namespace vq
