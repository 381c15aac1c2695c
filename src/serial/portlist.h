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

// Which program the list is for: each takes a port by its own option.
enum class PortListFor { Utility, Ctl };

// A few lines a port: what is known of it, and the argument that names it to the program, by its
// stable name where it has one, since a USB adapter's ttyUSB number changes from plug to plug.
QString portListText(const QList<PortInfo>& ports, PortListFor program = PortListFor::Utility);

} // namespace vq
