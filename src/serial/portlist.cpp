#include "serial/portlist.h"

#include <algorithm>
#include <dirent.h>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStringList>
#include <sys/stat.h>

namespace vq {

namespace {

QString canonical(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

// ttyS2 before ttyS10: runs of digits compare as numbers.
bool naturalLess(const QString& a, const QString& b)
{
    static const QRegularExpression parts(QStringLiteral("(\\D*)(\\d*)"));
    auto i = parts.globalMatch(a), j = parts.globalMatch(b);
    while (i.hasNext() && j.hasNext()) {
        const auto x = i.next(), y = j.next();
        if (x.captured(1) != y.captured(1))
            return x.captured(1) < y.captured(1);
        const qsizetype lx = x.capturedLength(2), ly = y.capturedLength(2);
        if (lx != ly || x.captured(2) != y.captured(2))
            return lx != ly ? lx < ly : x.captured(2) < y.captured(2);
        if (x.capturedLength() == 0)
            break;
    }
    return a < b;
}

int comNumberOf(const PortInfo& port, const PortMap& numbers)
{
    for (auto it = numbers.devices.cbegin(); it != numbers.devices.cend(); ++it) {
        const QString device = QFile::decodeName(*it);
        if (canonical(device) == canonical(port.device) ||
            (!port.stableName.isEmpty() && device == port.stableName))
            return it.key();
    }
    return 0;
}

} // namespace

QList<PortInfo> systemPorts()
{
    // Links under by-id name a device by what it is, not by the order it was plugged in.
    QHash<QString, QString> stable;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link :
         byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        stable.insert(link.canonicalFilePath(), link.absoluteFilePath());

    // The kernel's own list, read straight: a terminal with a device behind it is a port, but a
    // UART slot the kernel found empty (type 0). Asking udev through QSerialPortInfo costs the
    // start-up tens of milliseconds; its descriptions are only for the list (describePorts).
    QList<PortInfo> ports;
    DIR* classes = ::opendir("/sys/class/tty");
    if (!classes)
        return ports;
    const int dir = ::dirfd(classes);
    // Read with the system's calls: the scores of consoles behind no device cost Qt's file
    // classes most of a millisecond.
    while (const dirent* entry = ::readdir(classes)) {
        const QByteArray name(entry->d_name);
        struct stat st;
        if (name.startsWith('.') || ::fstatat(dir, name + "/device", &st, 0) != 0)
            continue;
        const QString path = QStringLiteral("/sys/class/tty/") + QFile::decodeName(name);
        const QFileInfo device(path + QStringLiteral("/device"));
        QFile type(path + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            continue;
        PortInfo port;
        port.device = QStringLiteral("/dev/") + QFile::decodeName(name);
        // A USB adapter's interface lies under the USB device that carries its identifiers.
        for (QDir up(device.canonicalFilePath()); !up.isRoot(); up.cdUp()) {
            QFile vendor(up.filePath(QStringLiteral("idVendor")));
            QFile product(up.filePath(QStringLiteral("idProduct")));
            if (vendor.open(QIODevice::ReadOnly) && product.open(QIODevice::ReadOnly)) {
                port.vendor = quint16(vendor.readAll().trimmed().toUInt(nullptr, 16));
                port.product = quint16(product.readAll().trimmed().toUInt(nullptr, 16));
                break;
            }
        }
        port.stableName = stable.value(port.device);
        ports << port;
    }
    ::closedir(classes);
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return naturalLess(a.device, b.device); });
    return ports;
}

void describePorts(QList<PortInfo>& ports)
{
    const QList<QSerialPortInfo> known = QSerialPortInfo::availablePorts();
    for (PortInfo& port : ports) {
        for (const QSerialPortInfo& info : known) {
            if (info.systemLocation() != port.device)
                continue;
            port.description = info.description();
            port.manufacturer = info.manufacturer();
            port.serialNumber = info.serialNumber();
        }
    }
}

PortMap numberPorts(const QList<PortInfo>& ports, const PortMap& byHand)
{
    QList<PortInfo> onBoard, adapters;
    for (const PortInfo& p : ports)
        (p.vendor ? adapters : onBoard) << p;
    std::sort(onBoard.begin(), onBoard.end(), [&](const PortInfo& a, const PortInfo& b) {
        return naturalLess(a.device, b.device);
    });
    // Adapters without a stable name come after those with one, in their own order.
    const auto key = [](const PortInfo& p) {
        return p.stableName.isEmpty() ? QStringLiteral("~") + p.device : p.stableName;
    };
    std::sort(adapters.begin(), adapters.end(),
              [&](const PortInfo& a, const PortInfo& b) { return naturalLess(key(a), key(b)); });

    PortMap numbers = byHand;
    QStringList given;
    for (const QByteArray& device : byHand.devices)
        given << canonical(QFile::decodeName(device));
    int next = 1;
    for (const PortInfo& p : onBoard + adapters) {
        if (given.contains(canonical(p.device)))
            continue;
        while (numbers.devices.contains(next))
            ++next;
        if (next > kMaxPortNumber)
            break;
        // By its stable name: an adapter plugged back while its old node is still held comes
        // back under another node, and its number must open it there.
        numbers.devices.insert(next,
                               QFile::encodeName(p.stableName.isEmpty() ? p.device : p.stableName));
    }
    return numbers;
}

QString portListText(const QList<PortInfo>& ports, const PortMap& numbers, PortListFor program)
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
        const int com = comNumberOf(p, numbers);
        const QString number =
            com ? QStringLiteral("COM%1").arg(com) : QStringLiteral("no COM number");
        out += program == PortListFor::Utility
                   ? (com ? QStringLiteral("    %1; --com %2=%3 keeps it there\n")
                                .arg(number)
                                .arg(com)
                                .arg(name)
                          : QStringLiteral("    %1; --com N=%2 gives it one\n").arg(number, name))
                   : QStringLiteral("    %1 in vq3360; as --device %2\n").arg(number, name);
    }
    return out;
}

QByteArray portListJson(const QList<PortInfo>& ports, const PortMap& numbers)
{
    QByteArray out;
    for (const PortInfo& p : ports) {
        QJsonObject json{{QStringLiteral("device"), p.device},
                         {QStringLiteral("description"), p.description},
                         {QStringLiteral("manufacturer"), p.manufacturer},
                         {QStringLiteral("serial_number"), p.serialNumber},
                         {QStringLiteral("stable_name"), p.stableName}};
        if (p.vendor)
            json.insert(QStringLiteral("vendor"), int(*p.vendor));
        if (p.product)
            json.insert(QStringLiteral("product"), int(*p.product));
        if (const int com = comNumberOf(p, numbers))
            json.insert(QStringLiteral("com"), com);
        out += QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
    }
    return out;
}

} // namespace vq
