#pragma once

#include "serial/portmap.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vq {

// What the utility was asked to do from its command line.
struct CommandLine {
    PortMap map;              // the COM numbers given by hand
    QList<QByteArray> qtArgs; // the window system's own options, passed on to it
    bool help = false;
    bool version = false;
    bool listPorts = false;
    bool virtualDisplay = false;
    QString error; // one line naming the bad argument, without the program name; empty if none
};

// args without the program name, as given: a device is kept byte for byte.
CommandLine parseCommandLine(const QList<QByteArray>& args);

// Several lines, ending with a newline.
QString helpText();

} // namespace vq
