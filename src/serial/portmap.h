#pragma once

#include <QList>
#include <QMap>
#include <QString>

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

// The values of a --NAME option (or -NAME, as Qt's tools take them) as given, in order: a
// command-line parser works on text, and a device name need not be text.
QList<QByteArray> rawOptionValues(const QList<QByteArray>& args, const QByteArray& name);

} // namespace vq
