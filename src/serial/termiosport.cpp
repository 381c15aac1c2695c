#include "serial/termiosport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif

namespace vq {

// Rates termios has no constant for; in a file of its own, as its header clashes with termios.h.
bool setCustomSpeed(int fd, int baud);

namespace {

// How long a change of settings may wait for bytes still going out, in milliseconds.
constexpr qint64 kSettingsWaitMs = 500;

// Paths are bytes: a name that is not valid text still opens, and messages show it as best
// they can.
QString shown(const QByteArray& path)
{
    return QFile::decodeName(path);
}

// A bare name means the device of that name under /dev.
QByteArray systemLocation(const QByteArray& name)
{
    if (name.startsWith('/') || name.startsWith("./") || name.startsWith("../"))
        return name;
    return "/dev/" + name;
}

QString portLabel(int port, const QByteArray& location)
{
    return QStringLiteral("COM%1 (%2)").arg(QString::number(port), shown(location));
}

CommError deviceUnavailable()
{
    return {err::DeviceUnavailable, QStringLiteral("Device unavailable")};
}

CommError noSuchPort()
{
    return {err::InvalidPortNumber, QStringLiteral("Invalid port number")};
}

CommError notSerial(int port, const QByteArray& location)
{
    return {err::InvalidPortNumber,
            QStringLiteral("%1 is not a serial port. Choose another port, or start the program "
                           "with --com %2=DEVICE naming a serial device.")
                .arg(portLabel(port, location), QString::number(port))};
}

CommError inUse(int port, const QByteArray& location)
{
    return {err::PortInUse, QStringLiteral("%1 is in use by another program. Close that program "
                                           "or choose another port.")
                                .arg(portLabel(port, location))};
}

// The group that may write to the device, as its node says; Debian gives serial ports dialout.
QString writerGroup(const QByteArray& location)
{
    struct stat st {};
    if (::stat(location.constData(), &st) == 0) {
        std::array<char, 4096> buffer{};
        group entry{};
        group* found = nullptr;
        if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
            return QString::fromLocal8Bit(found->gr_name);
    }
    return QStringLiteral("dialout");
}

CommError accessDenied(const QByteArray& location)
{
    const QString group = writerGroup(location);
    return {err::PermissionDenied,
            QStringLiteral("Access to %1 was denied. Add your user to the %2 group (sudo "
                           "usermod -aG %2 $USER), log in again, and retry.")
                .arg(shown(location), group)};
}

CommError openFailure(int port, const QByteArray& location, int error)
{
    switch (error) {
    case EBUSY: // another opener's exclusive mode
        return inUse(port, location);
    case EACCES:
    case EPERM:
        return accessDenied(location);
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO: // a ttyS node with no UART behind it
        return noSuchPort();
    default:
        return {err::OpenFailed,
                QStringLiteral("%1 could not be opened (%2). Check the device, "
                               "or choose another port.")
                    .arg(portLabel(port, location), QString::fromLocal8Bit(std::strerror(error)))};
    }
}

bool isPseudoTerminal(int fd)
{
#ifdef Q_OS_LINUX
    struct stat st {};
    // Unix98 pseudo-terminal slaves use majors 136 to 143.
    return ::fstat(fd, &st) == 0 && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

CommError refused(int port, const QByteArray& location, int fd, const LineSettings& settings,
                  const QString& reason)
{
    const QString label = portLabel(port, location);
    const QString text = settings.toString();
    if (settings.stopBits == StopBits::OneAndHalf)
        return {err::SettingsRefused,
                QStringLiteral("%1 refused the settings %2: this system has no 1.5 stop bits. "
                               "Choose 1 or 2 stop bits in Set.")
                    .arg(label, text)};
    if (isPseudoTerminal(fd))
        return {err::SettingsRefused,
                QStringLiteral("%1 refused the settings %2: a pseudo-terminal takes only 8 data "
                               "bits without parity. Choose 8 data bits and parity n in Set, or "
                               "use a real serial port.")
                    .arg(label, text)};
    const QString why = reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
    return {err::SettingsRefused,
            QStringLiteral("%1 refused the settings %2%3. Choose other settings in Set.")
                .arg(label, text, why)};
}

speed_t speedOf(int baud)
{
    switch (baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0; // no constant: set as a custom rate
    }
}

// The lock file other serial programs look for: LCK.. and the device's name under /dev, each
// "/" as "_", holding the owner's process id.
QByteArray lockFileFor(const QByteArray& device)
{
    QByteArray name =
        device.startsWith("/dev/") ? device.mid(5) : device.mid(device.lastIndexOf('/') + 1);
    name.replace('/', '_');
    for (const char* dir : {"/run/lock", "/var/lock"}) {
        if (::access(dir, W_OK) == 0)
            return QByteArray(dir) + "/LCK.." + name;
    }
    return {};
}

// A live process other than this one that holds the lock file, or 0.
pid_t lockOwner(const QByteArray& file)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    const pid_t pid = n > 0 ? pid_t(std::strtol(text, nullptr, 10)) : 0;
    if (pid <= 0 || pid == ::getpid())
        return 0;
    return ::kill(pid, 0) == 0 || errno == EPERM ? pid : 0;
}

// Takes the lock file; false when a live process holds it. One whose owner has died is taken
// over; where it cannot be removed (another user's, in a sticky folder) the lock on the node
// still keeps the device ours. `taken` is the file made, if any.
bool takeLockFile(const QByteArray& file, QByteArray& taken)
{
    taken.clear();
    if (file.isEmpty())
        return true;
    if (lockOwner(file) != 0)
        return false;
    // A dead owner's file we may not remove is no hold; one that appears after a clean look is.
    const bool cleared = ::unlink(file.constData()) == 0 || errno == ENOENT;
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return !(cleared && errno == EEXIST);
    const QByteArray pid = QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n';
    const bool written = ::write(fd, pid.constData(), size_t(pid.size())) == pid.size();
    ::close(fd);
    if (written)
        taken = file;
    else
        ::unlink(file.constData());
    return true;
}

} // namespace

TermiosPort::TermiosPort(PortMap map) : m_map(std::move(map)) {}

TermiosPort::~TermiosPort()
{
    closeDevice(portState() == PortState::Open);
}

void TermiosPort::openDevice(int port, const LineSettings& settings)
{
    const QByteArray location = systemLocation(m_map.deviceFor(port));
    // Looked at first: a missing path, a plain file and a denied path each get their own words.
    struct stat st {};
    if (::stat(location.constData(), &st) != 0) {
        if (errno == EACCES)
            throw accessDenied(location);
        throw noSuchPort();
    }
    if (!S_ISCHR(st.st_mode))
        throw notSerial(port, location);
    if (::faccessat(AT_FDCWD, location.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        throw accessDenied(location);
    // Held by its own name, whichever link led here.
    char* real = ::realpath(location.constData(), nullptr);
    const QByteArray device = real ? QByteArray(real) : location;
    std::free(real);

    const int fd = ::open(device.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw openFailure(port, location, errno);
    QByteArray lockFile;
    const auto fail = [&](const CommError& error) {
        if (!lockFile.isEmpty())
            ::unlink(lockFile.constData());
        ::close(fd);
        throw error;
    };
    termios found{};
    if (!::isatty(fd) || ::tcgetattr(fd, &found) != 0)
        fail(notSerial(port, location));
    // Another program's hold, as root too, is found before anything touches the line: the
    // advisory lock serial programs take, the terminal's exclusive mode, a live lock file.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        fail(inUse(port, location));
#ifdef TIOCGEXCL
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        fail(inUse(port, location));
#endif
    if (!takeLockFile(lockFileFor(device), lockFile))
        fail(inUse(port, location));
    ::ioctl(fd, TIOCEXCL);

    m_fd = fd;
    m_port = port;
    m_location = location;
    m_lockFile = lockFile;
    m_found = found;
    m_rdev = st.st_rdev;
    m_ino = st.st_ino;
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    QObject::connect(m_writable.get(), &QSocketNotifier::activated, m_writable.get(),
                     [this] { onWritable(); });
    try {
        configure(settings);
    } catch (const CommError&) {
        release();
        throw;
    }
    m_applied = settings;
}

void TermiosPort::applyDeviceSettings(const LineSettings& settings)
{
    // A device already lost takes nothing; the next write reports it.
    if (m_fd < 0)
        return;
    // Bytes on their way would go out at the new settings, garbled: they leave first when that
    // takes a moment, and the change is refused while they cannot.
    if (const qint64 pending = bytesPending()) {
        if (const qint64 needs = m_applied.lineTimeMs(pending); needs <= kSettingsWaitMs)
            sendWithin(QDeadlineTimer(needs + kSettingsWaitMs));
        if (const qint64 left = bytesPending())
            throw CommError(err::SettingsRefused,
                            QStringLiteral("%1 is still sending %2 bytes at %3. Choose the "
                                           "settings again once they have gone.")
                                .arg(portLabel(m_port, m_location), QString::number(left),
                                     m_applied.toString()));
    }
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

void TermiosPort::configure(const LineSettings& settings)
{
    const auto refuse = [&](const QString& reason) {
        return refused(m_port, m_location, m_fd, settings, reason);
    };
    if (settings.stopBits == StopBits::OneAndHalf)
        throw refuse({});
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0)
        throw refuse(QString::fromLocal8Bit(std::strerror(errno)));
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[settings.dataBits - 5];
    if (settings.parity != 'n')
        t.c_cflag |= PARENB;
    if (settings.parity == 'o' || settings.parity == 'm')
        t.c_cflag |= PARODD;
    if (settings.parity == 'm' || settings.parity == 's')
        t.c_cflag |= CMSPAR;
    if (settings.stopBits == StopBits::Two)
        t.c_cflag |= CSTOPB;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    const speed_t speed = speedOf(settings.baud);
    if (speed != B0) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }
    // After what the driver still holds, which would be garbled at a new speed.
    if (::tcsetattr(m_fd, TCSADRAIN, &t) != 0 ||
        (speed == B0 && !setCustomSpeed(m_fd, settings.baud)))
        throw refuse(QString::fromLocal8Bit(std::strerror(errno)));
    // Some drivers drop framing they cannot do and still report success: read it back.
    termios now{};
    const tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    if (::tcgetattr(m_fd, &now) != 0 || (now.c_cflag & framing) != (t.c_cflag & framing) ||
        (speed != B0 && ::cfgetospeed(&now) != speed))
        throw refuse({});
}

void TermiosPort::writeDevice(const QByteArray& bytes)
{
    if (m_fd < 0)
        throw deviceUnavailable();
    // In order behind whatever still waits; trying the line now finds a gone device at once.
    m_queue.append(bytes);
    if (!writeQueued())
        throw deviceUnavailable();
    if (bytesPending() > 0)
        notifyPending();
}

bool TermiosPort::writeQueued()
{
    while (m_sent < m_queue.size()) {
        const ssize_t n =
            ::write(m_fd, m_queue.constData() + m_sent, size_t(m_queue.size() - m_sent));
        if (n > 0) {
            m_sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            // The line is slow or stopped: the rest goes when the driver has room.
            if (m_sent > 64 * 1024) {
                m_queue.remove(0, m_sent);
                m_sent = 0;
            }
            watchWritable(true);
            return true;
        }
        return false; // EIO, ENXIO, a hang-up: the device has gone
    }
    m_queue.clear();
    m_sent = 0;
    watchWritable(false);
    return true;
}

void TermiosPort::onWritable()
{
    if (writeQueued())
        return;
    // Gone while bytes were waiting: closed now, reported by the next write.
    release();
    setPortState(PortState::Lost);
}

void TermiosPort::watchWritable(bool on)
{
    if (m_writable)
        m_writable->setEnabled(on);
}

QString TermiosPort::deviceName(int port) const
{
    return shown(systemLocation(m_map.deviceFor(port)));
}

qint64 TermiosPort::bytesPending() const
{
    int driver = 0;
    if (m_fd < 0 || ::ioctl(m_fd, TIOCOUTQ, &driver) != 0)
        driver = 0;
    return m_queue.size() - m_sent + driver;
}

void TermiosPort::discardPending()
{
    m_queue.clear();
    m_sent = 0;
    watchWritable(false);
    if (m_fd >= 0)
        ::tcflush(m_fd, TCOFLUSH);
}

void TermiosPort::closeDevice(bool drain)
{
    if (m_fd < 0)
        return;
    // The windows wait with a progress dialog; this wait is for closes without one (the port
    // destroyed), bounded all the same by the time the bytes need on the line.
    if (drain)
        sendWithin(QDeadlineTimer(m_applied.drainBoundMs(bytesPending())));
    release();
}

void TermiosPort::sendWithin(const QDeadlineTimer& deadline)
{
    while (bytesPending() > 0 && !deadline.hasExpired()) {
        if (m_sent == m_queue.size()) {
            ::usleep(5000); // only the driver's queue is left, and it says nothing when empty
            continue;
        }
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, int(std::clamp<qint64>(deadline.remainingTime(), 0, 20)));
        if ((p.revents & (POLLHUP | POLLERR)) || !writeQueued())
            break;
    }
}

bool TermiosPort::deviceMissing() const
{
    if (m_fd < 0)
        return true;
    pollfd p{m_fd, POLLOUT, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return true;
    struct stat now {};
    return ::stat(m_location.constData(), &now) != 0 || now.st_rdev != m_rdev ||
           now.st_ino != m_ino;
}

void TermiosPort::release()
{
    watchWritable(false);
    if (m_fd < 0)
        return;
    // What is left would hold the close for the driver's own wait. Only then: on a
    // pseudo-terminal a flush also takes what the far end has not read yet.
    if (bytesPending() > 0)
        discardPending();
    // After what a UART's own buffer still holds, so its last bytes keep the line's speed.
    ::tcsetattr(m_fd, TCSADRAIN, &m_found);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // lets go of the advisory lock too
    m_fd = -1;
    if (!m_lockFile.isEmpty())
        ::unlink(m_lockFile.constData());
    m_lockFile.clear();
    m_queue.clear();
    m_sent = 0;
}

PortFactory systemPortFactory(PortMap map)
{
    return [map = std::move(map)]() -> std::unique_ptr<CommPort> {
        return std::make_unique<TermiosPort>(map);
    };
}

} // namespace vq
