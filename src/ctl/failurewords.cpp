// vq3360ctl's own words for what went wrong with a device.
#include "ctl/failurewords.h"

#include "ctl/report.h"
#include "shared/failureparts.h"

#include <cerrno>

namespace vq::ctl {

QString failureWords(const CommError& error, const QByteArray& device)
{
    const PortFailure& f = error.failure();
    const QString dev = printable(device);
    switch (f.kind) {
    case PortFailure::InvalidPort:
    case PortFailure::NoSuchDevice:
        return systemErrorText(f.systemError ? f.systemError : ENOENT);
    case PortFailure::NotSerial:
        return QStringLiteral("not a serial port");
    case PortFailure::InUse:
        return f.holder ? QStringLiteral("in use by another program (PID %1)").arg(f.holder)
                        : QStringLiteral("in use by another program");
    case PortFailure::LeftExclusive:
        return QStringLiteral(
                   "left in exclusive mode by a program that has ended (PID %1), and "
                   "another program still has it open; the mode clears when that "
                   "program closes it (fuser -v %2 names it), or when root opens it once")
            .arg(QString::number(f.holder), dev);
    case PortFailure::NotALockFile:
        return QStringLiteral("%1 is not a lock file: remove it").arg(printable(f.lockFile));
    case PortFailure::AccessDenied:
        if (f.group.isEmpty())
            return QStringLiteral("Permission denied; only %1 may write to it: give it to a group "
                                  "you are in with a udev rule, or run as %1")
                .arg(f.owner);
        return QStringLiteral("Permission denied; join the %1 group (sudo usermod -aG %1 "
                              "$USER), then log in again")
            .arg(f.group);
    case PortFailure::OpenFailed:
        return systemErrorText(f.systemError);
    case PortFailure::SettingsRefused: {
        QString why = refusalReason(f);
        why = !why.isEmpty()  ? QStringLiteral(": ") + why
              : f.systemError ? QStringLiteral(" (%1)").arg(systemErrorText(f.systemError))
                              : QString();
        return QStringLiteral("refused the settings %1%2").arg(f.settings.toString(), why);
    }
    case PortFailure::StillSending:
        return QStringLiteral("still sending %1").arg(counted(f.pending, "byte"));
    case PortFailure::DeviceGone:
        return QStringLiteral("the device went away");
    case PortFailure::InvalidValue:
        return QStringLiteral("Invalid property value");
    case PortFailure::AlreadyOpen:
        return QStringLiteral("Port already open");
    case PortFailure::NotOpen:
        break;
    }
    return QStringLiteral("Operation valid only when the port is open");
}

} // namespace vq::ctl
