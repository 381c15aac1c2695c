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

// Every failure of the port, each with the error number it carries. Kinds may share a number; a
// number alone stands for the first kind here that carries it. The words are the front ends'.
// clang-format off
#define VQ_PORT_FAILURES(X)                                                                        \
    X(InvalidValue, err::InvalidPropertyValue)                                                     \
    X(InvalidPort, err::InvalidPortNumber)    /* a number no device stands for */                  \
    X(NoSuchDevice, err::InvalidPortNumber)   /* the path names nothing */                         \
    X(NotSerial, err::NotSerialPort)          /* it names something that is no serial port */      \
    X(InUse, err::PortInUse)                  /* another program holds it; holder where known */   \
    X(LeftExclusive, err::PortInUse)          /* an ended program's exclusive mode, kept alive */  \
    X(NotALockFile, err::PortInUse)           /* lockFile, where its lock goes, is something else */ \
    X(AccessDenied, err::PermissionDenied)    /* group may write to it; without one, only owner */ \
    X(OpenFailed, err::OpenFailed)            /* systemError says why */                           \
    X(SettingsRefused, err::SettingsRefused)                                                       \
    X(StillSending, err::SettingsRefused)     /* pending bytes would go out garbled */             \
    X(AlreadyOpen, err::PortAlreadyOpen)                                                           \
    X(NotOpen, err::PortNotOpen)                                                                   \
    X(DeviceGone, err::DeviceUnavailable)
// clang-format on

// What went wrong with the device: the facts a front end words a failure from.
struct PortFailure {
#define VQ_FAILURE_KIND(kind, number) kind,
    enum Kind { VQ_PORT_FAILURES(VQ_FAILURE_KIND) };
#undef VQ_FAILURE_KIND
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
PortFailure::Kind kindOf(int number);
// As the log names it: "DeviceGone".
const char* kindName(PortFailure::Kind kind);

// A failing property access of the port: its number, and the facts behind it.
class CommError : public std::exception {
public:
    explicit CommError(const PortFailure& failure);
    // Known by its kind alone, as a stand-in port or a caller that saw the device go has it.
    explicit CommError(PortFailure::Kind kind);

    int number() const { return m_number; }
    PortFailure::Kind kind() const { return m_failure.kind; }
    const PortFailure& failure() const { return m_failure; }
    const char* what() const noexcept override { return kindName(m_failure.kind); }

private:
    int m_number;
    PortFailure m_failure;
};

} // namespace vq
