// The utility's own words for what went wrong with a port: shown in its boxes and status rows.
#include "shared/failuretext.h"

#include "shared/failureparts.h"

#include <QFile>

namespace vq {

namespace {

QString shown(const QByteArray& path)
{
    return QFile::decodeName(path);
}

QString portLabel(const PortFailure& f)
{
    return QStringLiteral("COM%1 (%2)").arg(QString::number(f.port), shown(f.device));
}

QString refusedText(const PortFailure& f)
{
    const QString head =
        QStringLiteral("%1 refused the settings %2").arg(portLabel(f), f.settings.toString());
    if (f.settings.stopBits == StopBits::OneAndHalf)
        return head + QStringLiteral(": ") + refusalReason(f) +
               QStringLiteral(". Choose 1 or 2 stop bits in Set.");
    if (f.pseudoTerminal)
        return head + QStringLiteral(": ") + refusalReason(f) +
               QStringLiteral(". Choose 8 data bits and parity n in Set, or use a real serial "
                              "port.");
    const QString why =
        f.systemError ? QStringLiteral(" (%1)").arg(systemErrorText(f.systemError)) : QString();
    return head + why + QStringLiteral(". Choose other settings in Set.");
}

QString utilityText(const PortFailure& f)
{
    switch (f.kind) {
    case PortFailure::InvalidValue:
        return QStringLiteral("Invalid property value");
    case PortFailure::InvalidPort:
    case PortFailure::NoSuchDevice:
        return QStringLiteral("Invalid port number");
    case PortFailure::NotSerial:
        return QStringLiteral("%1 is not a serial port. Choose another port, or start the "
                              "program with --com %2=DEVICE naming a serial device.")
            .arg(portLabel(f), QString::number(f.port));
    case PortFailure::InUse:
        return QStringLiteral("%1 is in use by another program. Close that program or choose "
                              "another port.")
            .arg(portLabel(f));
    case PortFailure::LeftExclusive:
        return QStringLiteral("%1 was left locked by a program that has ended (PID %2), and "
                              "another program still has it open. Close that program, or open "
                              "the port once as root, which clears the lock.")
            .arg(portLabel(f), QString::number(f.holder));
    case PortFailure::NotALockFile:
        return QStringLiteral("%1 cannot be opened: %2 is not a lock file. Remove it and retry.")
            .arg(portLabel(f), shown(f.lockFile));
    case PortFailure::AccessDenied:
        if (f.group.isEmpty())
            return QStringLiteral("Access to %1 was denied: only %2 may write to it. Give it to a "
                                  "group you are in with a udev rule, or run as %2, and retry.")
                .arg(shown(f.device), f.owner);
        return QStringLiteral("Access to %1 was denied. Add your user to the %2 group (sudo "
                              "usermod -aG %2 $USER), log in again, and retry.")
            .arg(shown(f.device), f.group);
    case PortFailure::OpenFailed:
        return QStringLiteral("%1 could not be opened (%2). Check the device, or choose another "
                              "port.")
            .arg(portLabel(f), systemErrorText(f.systemError));
    case PortFailure::SettingsRefused:
        return refusedText(f);
    case PortFailure::StillSending:
        return QStringLiteral("%1 is still sending %2 bytes at %3. Choose the settings again "
                              "once they have gone.")
            .arg(portLabel(f), QString::number(f.pending), f.settings.toString());
    case PortFailure::AlreadyOpen:
        return QStringLiteral("Port already open");
    case PortFailure::NotOpen:
        return QStringLiteral("Operation valid only when the port is open");
    case PortFailure::DeviceGone:
        return QStringLiteral("Device unavailable");
    }
    return {};
}

} // namespace

QString failureText(const CommError& error)
{
    return utilityText(error.failure());
}

QString writeFailureText(const CommError& error)
{
    switch (error.kind()) {
    case PortFailure::DeviceGone:
        return kDeviceUnavailable;
    case PortFailure::NotOpen:
        return kPortNotOpen;
    default:
        return failureText(error);
    }
}

} // namespace vq
