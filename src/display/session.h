#pragma once

#include "display/emulation.h"
#include "serial/linesettings.h"

#include <QByteArray>
#include <QString>

namespace vq {

// What a run of commands keeps of the display between them, in the windows and in vq3360ctl
// alike: the head of the emulation command, and the clear sequence of the emulation that went
// out last. Empty until start-up gives them their values, as the process starts.
struct DisplaySession {
    QByteArray EmulationPrefix;
    QByteArray ClearCmd;

    // The PC side's line at start-up, and the display's own until it is told otherwise.
    static LineSettings startupLine() { return {}; }
    // As start-up leaves it.
    static DisplaySession started();

    void setStartupPrefix();
    void setStartupClear();
    // The row's command, on the prefix.
    QByteArray emulationCommand(const Emulation& row) const;
    // Once that command went out: Clear sends the row's sequence from now on.
    void emulationSent(const Emulation& row) { ClearCmd = row.clearBytes(); }
    // What Clear sends: the clear sequence, then CR.
    QByteArray clearCommand() const { return ClearCmd + '\r'; }
};

} // namespace vq
