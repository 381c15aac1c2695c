#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace vq {

inline constexpr int kMaxPortNumber = 16;

// Which device each port number opens. Numbers without an entry use the platform's own
// name for that port.
struct PortMap {
    QMap<int, QString> devices;

    // COMn on Windows; /dev/ttyS(n-1) elsewhere unless mapped.
    QString deviceFor(int port) const;
    bool operator==(const PortMap&) const = default;
};

struct CommandLine {
    PortMap map;
    bool help = false;
    QString error; // one line naming the bad argument, without the program name; empty if none
};

// args without the program name. Stops at the first bad argument.
CommandLine parseCommandLine(const QStringList& args);

// Several lines, ending with a newline.
QString usageText();

} // namespace vq
