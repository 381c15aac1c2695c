#pragma once

#include <optional>
#include <QList>
#include <QString>

namespace vq {

// One serial port of this system, with what tells it apart from the others.
struct PortInfo {
    QString device; // such as /dev/ttyUSB0
    QString description;
    QString manufacturer;
    std::optional<quint16> vendor;
    std::optional<quint16> product;
    QString serialNumber;
    QString stableName; // its /dev/serial/by-id name, where it has one
    bool operator==(const PortInfo&) const = default;
};

// The ports the system has, by device path.
QList<PortInfo> systemPorts();

// A few lines a port: what is known of it, and the --com argument that makes it COM1, by its
// stable name where it has one, since a USB adapter's ttyUSB number changes from plug to plug.
QString portListText(const QList<PortInfo>& ports);

} // namespace vq
