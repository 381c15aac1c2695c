#include "serial/portlist.h"

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace vq {

QList<PortInfo> systemPorts()
{
    // Links under by-id name a device by what it is, not by the order it was plugged in.
    QHash<QString, QString> stable;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link :
         byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        stable.insert(link.canonicalFilePath(), link.absoluteFilePath());

    QList<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo port;
        port.device = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            port.vendor = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.product = info.productIdentifier();
        port.serialNumber = info.serialNumber();
        port.stableName = stable.value(QFileInfo(port.device).canonicalFilePath());
        ports << port;
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.device < b.device; });
    return ports;
}

QString portListText(const QList<PortInfo>& ports, PortListFor program)
{
    if (ports.isEmpty())
        return QStringLiteral("No serial ports found.\n");
    const auto hex4 = [](quint16 id) {
        return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
    };
    QString out;
    for (const PortInfo& p : ports) {
        QStringList known;
        if (!p.description.isEmpty())
            known << p.description;
        if (!p.manufacturer.isEmpty())
            known << QStringLiteral("made by %1").arg(p.manufacturer);
        if (p.vendor && p.product)
            known << QStringLiteral("USB %1:%2").arg(hex4(*p.vendor), hex4(*p.product));
        if (!p.serialNumber.isEmpty())
            known << QStringLiteral("serial number %1").arg(p.serialNumber);
        out += p.device;
        if (!known.isEmpty())
            out += QStringLiteral(": ") + known.join(QStringLiteral(", "));
        out += u'\n';
        if (!p.stableName.isEmpty())
            out += QStringLiteral("    stable name: %1\n").arg(p.stableName);
        const QString name = p.stableName.isEmpty() ? p.device : p.stableName;
        out += program == PortListFor::Utility
                   ? QStringLiteral("    as COM1: --com 1=%1\n").arg(name)
                   : QStringLiteral("    as --device %1\n").arg(name);
    }
    return out;
}

} // namespace vq
