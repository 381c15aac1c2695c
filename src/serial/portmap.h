#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace vq {

inline constexpr int kMaxPortNumber = 16;

// Which device each port number opens. Numbers without an entry use the system's own name for
// that port. Paths are bytes, as the system has them: a name need not be valid text.
struct PortMap {
    QMap<int, QByteArray> devices;

    // /dev/ttyS(n-1) unless mapped.
    QByteArray deviceFor(int port) const;
    bool operator==(const PortMap&) const = default;
};

struct CommandLine {
    PortMap map;
    QList<QByteArray> qtArgs; // the window system's own options, for it
    bool help = false;
    QString error; // one line naming the bad argument, without the program name; empty if none
};

// args without the program name, as given. Stops at the first bad argument.
CommandLine parseCommandLine(const QList<QByteArray>& args);

// Several lines, ending with a newline.
QString usageText();

} // namespace vq
