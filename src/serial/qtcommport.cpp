#include "serial/qtcommport.h"

#include <QFile>
#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace vq {

namespace {

// Per step of the drain: long enough for a slow line to take the next chunk, short enough
// that a stalled device cannot hang a close for long.
constexpr int kDrainStepMs = 1000;

// Where QSerialPort will look for a name: it puts a bare name under /dev.
QString systemLocation(const QString& name)
{
#ifdef Q_OS_UNIX
    if (name.startsWith(u'/') || name.startsWith(u"./") || name.startsWith(u"../"))
        return name;
    return QStringLiteral("/dev/") + name;
#else
    return name;
#endif
}

QString portLabel(int port, const QString& location)
{
    return QStringLiteral("COM%1 (%2)").arg(QString::number(port), location);
}

CommError deviceUnavailable()
{
    return {err::DeviceUnavailable, QStringLiteral("Device unavailable")};
}

CommError noSuchPort()
{
    return {err::InvalidPortNumber, QStringLiteral("Invalid port number")};
}

CommError notSerial(int port, const QString& location)
{
    return {err::InvalidPortNumber,
            QStringLiteral("%1 is not a serial port. Choose another port, or start the program "
                           "with --com %2=DEVICE naming a serial device.")
                .arg(portLabel(port, location), QString::number(port))};
}

CommError inUse(int port, const QString& location)
{
    return {err::PortInUse, QStringLiteral("%1 is in use by another program. Close that program "
                                           "or choose another port.")
                                .arg(portLabel(port, location))};
}

#ifdef Q_OS_UNIX
CommError accessDenied(const QString& location)
{
    return {err::PermissionDenied,
            QStringLiteral("Access to %1 was denied. Add your user to the dialout group (sudo "
                           "usermod -aG dialout $USER), log in again, and retry.")
                .arg(location)};
}

bool isPseudoTerminal(const QString& location)
{
#ifdef Q_OS_LINUX
    struct stat st {};
    if (::stat(QFile::encodeName(location).constData(), &st) != 0)
        return false;
    // Unix98 pseudo-terminal slaves use majors 136 to 143.
    return S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
#else
    Q_UNUSED(location);
    return false;
#endif
}
#endif

CommError refused(int port, const QString& location, const LineSettings& settings,
                  const QString& reason)
{
    const QString label = portLabel(port, location);
    const QString text = settings.toString();
#ifdef Q_OS_UNIX
    if (settings.stopBits == StopBits::OneAndHalf)
        return {err::SettingsRefused,
                QStringLiteral("%1 refused the settings %2: this system has no 1.5 stop bits. "
                               "Choose 1 or 2 stop bits in Set.")
                    .arg(label, text)};
    if (isPseudoTerminal(location))
        return {err::SettingsRefused,
                QStringLiteral("%1 refused the settings %2: a pseudo-terminal takes only 8 data "
                               "bits without parity. Choose 8 data bits and parity n in Set, or "
                               "use a real serial port.")
                    .arg(label, text)};
#endif
    const QString why = reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
    return {err::SettingsRefused,
            QStringLiteral("%1 refused the settings %2%3. Choose other settings in Set.")
                .arg(label, text, why)};
}

CommError openFailure(int port, const QString& location, QSerialPort::SerialPortError error,
                      const QString& reason)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::ResourceError: // a ttyS node with no UART behind it answers EIO
        return noSuchPort();
    case QSerialPort::PermissionError: // the lock file or an exclusive open is taken
        return inUse(port, location);
    case QSerialPort::UnsupportedOperationError: // not a terminal at all
        return notSerial(port, location);
    default:
        return {err::OpenFailed, QStringLiteral("%1 could not be opened (%2). Check the device, "
                                                "or choose another port.")
                                     .arg(portLabel(port, location), reason)};
    }
}

QSerialPort::Parity parityOf(char letter)
{
    switch (letter) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsOf(StopBits stop)
{
    switch (stop) {
    case StopBits::Two:
        return QSerialPort::TwoStop;
    case StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

} // namespace

QtCommPort::QtCommPort(PortMap map) : m_map(std::move(map))
{
    QObject::connect(&m_serial, &QSerialPort::errorOccurred, &m_serial,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtCommPort::~QtCommPort()
{
    closeDevice(portState() == PortState::Open);
}

void QtCommPort::openDevice(int port, const LineSettings& settings)
{
    const QString location = systemLocation(m_map.deviceFor(port));
#ifdef Q_OS_UNIX
    // QSerialPort reports a missing path, a plain file and a denied path too vaguely to tell
    // the operator what to do, so look first.
    const QByteArray path = QFile::encodeName(location);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        if (errno == EACCES)
            throw accessDenied(location);
        throw noSuchPort();
    }
    if (!S_ISCHR(st.st_mode))
        throw notSerial(port, location);
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        throw accessDenied(location);
#endif
    m_serial.setPortName(location);
    if (!m_serial.open(QIODevice::WriteOnly))
        throw openFailure(port, location, m_serial.error(), m_serial.errorString());
    m_port = port;
    m_location = location;
    try {
        configure(settings);
    } catch (const CommError&) {
        closeDevice(false);
        throw;
    }
    m_applied = settings;
}

void QtCommPort::applyDeviceSettings(const LineSettings& settings)
{
    // A device already lost takes nothing; the next write reports it.
    if (!m_serial.isOpen())
        return;
    try {
        configure(settings);
    } catch (const CommError&) {
        // Half-applied settings would garble every later command: go back to the last good ones.
        try {
            configure(m_applied);
        } catch (const CommError&) {
        }
        throw;
    }
    m_applied = settings;
}

void QtCommPort::configure(const LineSettings& settings)
{
#ifdef Q_OS_UNIX
    if (settings.stopBits == StopBits::OneAndHalf)
        throw refused(m_port, m_location, settings, {});
#endif
    const bool taken = m_serial.setBaudRate(settings.baud) &&
                       m_serial.setDataBits(QSerialPort::DataBits(settings.dataBits)) &&
                       m_serial.setParity(parityOf(settings.parity)) &&
                       m_serial.setStopBits(stopBitsOf(settings.stopBits)) &&
                       m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!taken)
        throw refused(m_port, m_location, settings, m_serial.errorString());
    if (!deviceHolds(settings))
        throw refused(m_port, m_location, settings, {});
}

// Some drivers drop framing they cannot do and still report success: read it back.
bool QtCommPort::deviceHolds(const LineSettings& settings) const
{
#ifdef Q_OS_UNIX
    termios tio{};
    if (::tcgetattr(m_serial.handle(), &tio) != 0)
        return false;
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    if ((tio.c_cflag & CSIZE) != sizes[settings.dataBits - 5])
        return false;
    if (bool(tio.c_cflag & CSTOPB) != (settings.stopBits == StopBits::Two))
        return false;
    const bool parity = settings.parity != 'n';
    if (bool(tio.c_cflag & PARENB) != parity)
        return false;
    if (parity) {
        const bool odd = settings.parity == 'o' || settings.parity == 'm';
        if (bool(tio.c_cflag & PARODD) != odd)
            return false;
#ifdef CMSPAR
        const bool sticky = settings.parity == 'm' || settings.parity == 's';
        if (bool(tio.c_cflag & CMSPAR) != sticky)
            return false;
#endif
    }
    return true;
#else
    Q_UNUSED(settings);
    return true;
#endif
}

void QtCommPort::writeDevice(const QByteArray& bytes)
{
    m_serial.clearError();
    const qint64 written = m_serial.write(bytes);
    // Straight to the driver rather than at the next turn of the event loop: a typed key
    // should reach the display without waiting.
    m_serial.flush();
    if (written != bytes.size() || deviceFailed())
        throw deviceUnavailable();
}

void QtCommPort::closeDevice(bool drain)
{
    if (!m_serial.isOpen())
        return;
    if (drain) {
        // QSerialPort::close() throws away whatever it still buffers.
        while (!deviceFailed() && m_serial.bytesToWrite() > 0 &&
               m_serial.waitForBytesWritten(kDrainStepMs)) {
        }
        // The driver's own queue would otherwise be cut short by the settings restored on close.
        if (!deviceFailed()) {
#ifdef Q_OS_UNIX
            while (::tcdrain(m_serial.handle()) != 0 && errno == EINTR) {
            }
#elif defined(Q_OS_WIN)
            ::FlushFileBuffers(m_serial.handle());
#endif
        }
    }
    m_serial.close();
}

bool QtCommPort::deviceFailed() const
{
    return m_serial.error() == QSerialPort::ResourceError ||
           m_serial.error() == QSerialPort::WriteError;
}

// Errors inside our own calls are read from their results; this is for those the event loop
// raises while bytes are pending.
void QtCommPort::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::WriteError)
        return;
    if (portState() != PortState::Open)
        return;
    // QSerialPort repeats the error without end until the port is closed, so close it on the
    // first one; the next write reports it. Queued, because closing inside QSerialPort's own
    // notification is not safe.
    setPortState(PortState::Failing);
    QMetaObject::invokeMethod(
        &m_serial,
        [this] {
            if (portState() != PortState::Failing)
                return;
            closeDevice(false);
            setPortState(PortState::Lost);
        },
        Qt::QueuedConnection);
}

PortFactory qtPortFactory(PortMap map)
{
    return [map = std::move(map)]() -> std::unique_ptr<CommPort> {
        return std::make_unique<QtCommPort>(map);
    };
}

} // namespace vq
