#pragma once

#include "serial/linesettings.h"

#include <exception>
#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace vq {

// Error numbers follow the classic serial control, so reports read as operators know them.
namespace err {
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPortNumber = 8002;
inline constexpr int PortAlreadyOpen = 8005;
inline constexpr int PortInUse = 8010;
inline constexpr int OpenFailed = 8012;
inline constexpr int SettingsRefused = 8015;
inline constexpr int PortNotOpen = 8018;
inline constexpr int NotSerialPort = 8020;
} // namespace err

// What went wrong with the device, apart from how it is said: the windows and vq3360ctl say
// it each in their own words.
struct PortFailure {
    enum Kind {
        InvalidValue,
        InvalidPort,   // a number no device stands for
        NoSuchDevice,  // the path names nothing
        NotSerial,     // it names something that is no serial port
        InUse,         // another program holds it; holder is its process id where known
        LeftExclusive, // a program that ended left it in exclusive mode, another keeps it open
        NotALockFile,  // lockFile, where its lock file goes, holds something else
        AccessDenied,  // group is the one that may write to it; without one, only owner may
        OpenFailed,    // systemError says why
        SettingsRefused,
        StillSending, // pending bytes would go out garbled at new settings
        AlreadyOpen,
        NotOpen,
        DeviceGone,
    };
    Kind kind = OpenFailed;
    int port = 0;
    QByteArray device; // as the port number maps it
    QByteArray lockFile;
    pid_t holder = 0;
    QString group;
    QString owner;
    int systemError = 0;
    LineSettings settings; // refused, or current while still sending
    bool pseudoTerminal = false;
    qint64 pending = 0;
};

int errorNumber(PortFailure::Kind kind);

// A failing property access of the port: a number and a description shown verbatim, and what
// lies behind them.
class CommError : public std::exception {
public:
    // A failure known only by its number, as a stand-in port reports one.
    CommError(int number, QString description);
    // Said in the utility's words.
    explicit CommError(const PortFailure& failure);
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const PortFailure& failure() const { return m_failure; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
    PortFailure m_failure;
};

} // namespace vq
