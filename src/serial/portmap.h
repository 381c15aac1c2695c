#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace vq {

inline constexpr int kMaxPortNumber = 16;

// Which device each port number opens; a number without an entry opens none. Paths are bytes,
// as the system has them: a name need not be valid text.
struct PortMap {
    QMap<int, QByteArray> devices;

    // Empty where none is mapped.
    QByteArray deviceFor(int port) const { return devices.value(port); }
    bool operator==(const PortMap&) const = default;
};

} // namespace vq
