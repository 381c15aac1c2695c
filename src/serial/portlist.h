#pragma once

#include "serial/portmap.h"

#include <optional>
#include <QList>
#include <QString>

namespace vq {

// One serial port of this system, with what tells it apart from the others.
struct PortInfo {
    QString device; // such as /dev/ttyUSB0
    QString description;
    QString manufacturer;
    std::optional<quint16> vendor; // a USB adapter's
    std::optional<quint16> product;
    QString serialNumber;
    QString stableName; // its /dev/serial/by-id name, where it has one
    bool operator==(const PortInfo&) const = default;
};

// The serial ports the system has, in their devices' order, with what tells adapters apart.
QList<PortInfo> systemPorts();
// Adds what the system says of each: its description, maker and serial number.
void describePorts(QList<PortInfo>& ports);

// COM numbers for the ports the system has, as the operating system the utility was written for
// gives them: on-board ports first in their own order (ttyS2 before ttyS10), then USB adapters
// by their stable name, so an adapter keeps its number across re-plugging while the set of
// adapters stays the same. Numbers given by hand keep their device, which no other number gets.
PortMap numberPorts(const QList<PortInfo>& ports, const PortMap& byHand = {});

// Which program the list is for: each takes a port by its own option.
enum class PortListFor { Utility, Ctl };

// A few lines a port: what is known of it, its COM number and the argument that names it to the
// program, by its stable name where it has one, since a USB adapter's ttyUSB number changes
// from plug to plug.
QString portListText(const QList<PortInfo>& ports, const PortMap& numbers,
                     PortListFor program = PortListFor::Utility);
// The same, one JSON object a line.
QByteArray portListJson(const QList<PortInfo>& ports, const PortMap& numbers);

} // namespace vq
