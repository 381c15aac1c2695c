#include "display/session.h"

#include "shared/frame.h"

namespace vq {

namespace {
// The clear sequence from start-up until an emulation is chosen.
const QByteArray kStartupClear("\x0c", 1);
} // namespace

DisplaySession DisplaySession::started()
{
    DisplaySession session;
    session.setStartupPrefix();
    session.setStartupClear();
    return session;
}

void DisplaySession::setStartupPrefix()
{
    EmulationPrefix = commandHead(code::SelectEmulation);
}

void DisplaySession::setStartupClear()
{
    ClearCmd = kStartupClear;
}

QByteArray DisplaySession::emulationCommand(const Emulation& row) const
{
    return displayCommand(EmulationPrefix, row.mode);
}

} // namespace vq
