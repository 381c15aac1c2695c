#include "serial/termiosport.h"

#include "serial/log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vq {

// Rates termios has no constant for; in a file of its own, as its header clashes with termios.h.
bool setCustomSpeed(int fd, int baud);

namespace {

// How long a change of settings may wait for bytes still going out, in milliseconds.
constexpr qint64 kSettingsWaitMs = 500;
// How often a wait for bytes looks at what is left, in milliseconds.
constexpr qint64 kLookMs = 10;
// What a display may still be doing with the last byte once it has had its time on the line:
// taking it from its receiver, or, after its line changed, switching to the new one.
constexpr double kSettleMs = 20;
// What a log line shows of a write.
constexpr qsizetype kLoggedBytes = 256;

// A bare name means the device of that name under /dev.
QByteArray systemLocation(const QByteArray& name)
{
    if (name.isEmpty() || name.startsWith('/') || name.startsWith("./") || name.startsWith("../"))
        return name;
    return "/dev/" + name;
}

// Who may write to the device, as its node says: its group where the group may (Debian gives
// serial ports dialout), otherwise only its owner.
void writers(const QByteArray& location, PortFailure& f)
{
    f.group = QStringLiteral("dialout");
    struct stat st {};
    if (::stat(location.constData(), &st) != 0)
        return;
    std::array<char, 4096> buffer{};
    if (!(st.st_mode & S_IWGRP)) {
        passwd entry{};
        passwd* found = nullptr;
        f.group.clear();
        f.owner =
            ::getpwuid_r(st.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found
                ? QString::fromLocal8Bit(found->pw_name)
                : QString::number(st.st_uid);
        return;
    }
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        f.group = QString::fromLocal8Bit(found->gr_name);
}

bool isPseudoTerminal(dev_t rdev)
{
    // Unix98 pseudo-terminal slaves use majors 136 to 143.
    return major(rdev) >= 136 && major(rdev) <= 143;
}

// /dev/tty is the caller's own terminal and /dev/ptmx makes a new pseudo-terminal: neither is a
// line to a display, though both are terminals.
bool isTerminalOfItsOwn(dev_t rdev)
{
    return major(rdev) == 5 && (minor(rdev) == 0 || minor(rdev) == 2);
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

bool hungUp(int fd)
{
    pollfd p{fd, POLLOUT, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

} // namespace

TermiosPort::TermiosPort(PortMap map) : m_map(std::move(map))
{
    m_clock.start();
}

// Whoever watched drains may be gone already: this last one waits unwatched.
TermiosPort::~TermiosPort()
{
    setDrainWatch({});
    setOnLost({});
    if (portOpen())
        setPortOpen(false);
    release();
}

PortFailure TermiosPort::failure(PortFailure::Kind kind) const
{
    PortFailure f;
    f.kind = kind;
    f.port = m_port;
    f.device = m_location;
    f.pseudoTerminal = m_pty;
    return f;
}

void TermiosPort::openDevice(int port, const LineSettings& settings)
{
    m_port = port;
    m_location = systemLocation(m_map.deviceFor(port));
    m_pty = false;
    QByteArray lockPath;
    const auto refuse = [&](PortFailure::Kind kind, int error = 0, pid_t holder = 0) {
        PortFailure f = failure(kind);
        f.systemError = error;
        f.holder = holder;
        f.lockFile = lockPath;
        if (kind == PortFailure::AccessDenied)
            writers(m_location, f);
        qCDebug(lcSerial) << m_location << "refused:" << kindName(kind) << error;
        return CommError(f);
    };
    if (m_location.isEmpty())
        throw refuse(PortFailure::InvalidPort);
    // Looked at first: a missing path, a plain file and a denied path each get their own words.
    struct stat st {};
    if (::stat(m_location.constData(), &st) != 0)
        throw refuse(errno == EACCES ? PortFailure::AccessDenied : PortFailure::NoSuchDevice,
                     errno);
    if (!S_ISCHR(st.st_mode) || isTerminalOfItsOwn(st.st_rdev))
        throw refuse(PortFailure::NotSerial);
    if (::faccessat(AT_FDCWD, m_location.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        throw refuse(PortFailure::AccessDenied, EACCES);
    // Held by its own name, whichever link led here.
    char* real = ::realpath(m_location.constData(), nullptr);
    const QByteArray device = real ? QByteArray(real) : m_location;
    std::free(real);
    lockPath = LockFile::pathFor(device);

    const int fd = ::open(device.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        switch (error) {
        case EBUSY: { // exclusive mode: another opener's, or one an ended program left
            const LockFile::Holder holder = LockFile::holderOf(lockPath);
            throw refuse(holder.state == LockFile::Holder::Dead ? PortFailure::LeftExclusive
                                                                : PortFailure::InUse,
                         error, holder.pid);
        }
        case EACCES:
        case EPERM:
            throw refuse(PortFailure::AccessDenied, error);
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO: // a ttyS node with no UART behind it
            throw refuse(PortFailure::NoSuchDevice, error);
        default:
            throw refuse(PortFailure::OpenFailed, error);
        }
    }
    const auto fail = [&](const CommError& error) {
        m_lock.release();
        ::close(fd);
        throw error;
    };
    termios found{};
    if (!::isatty(fd) || ::tcgetattr(fd, &found) != 0)
        fail(refuse(PortFailure::NotSerial));
    m_pty = isPseudoTerminal(st.st_rdev);
    // Another program's hold, as root too, is found before anything touches the line: the
    // advisory lock serial programs take, a live lock file, the terminal's exclusive mode.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const LockFile::Holder holder = LockFile::holderOf(lockPath);
        fail(
            refuse(PortFailure::InUse, 0, holder.state == LockFile::Holder::Live ? holder.pid : 0));
    }
    const LockFile::Holder before = m_lock.take(lockPath);
    if (before.state == LockFile::Holder::NotAFile)
        fail(refuse(PortFailure::NotALockFile));
    if (before.state == LockFile::Holder::Live || before.state == LockFile::Holder::Unknown)
        fail(refuse(PortFailure::InUse, 0, before.pid));
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        // Nobody holds the node's lock and the lock file's owner has died: the mode is what
        // that program left behind, and only keeps everyone else out.
        if (before.state != LockFile::Holder::Dead)
            fail(refuse(PortFailure::InUse));
        qCDebug(lcSerial) << device << "exclusive mode left by ended process" << before.pid
                          << "cleared";
        ::ioctl(fd, TIOCNXCL);
    }
    ::ioctl(fd, TIOCEXCL);

    m_fd = fd;
    m_found = found;
    m_rdev = st.st_rdev;
    m_ino = st.st_ino;
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    QObject::connect(m_writable.get(), &QSocketNotifier::activated, m_writable.get(),
                     [this] { onWritable(); });
    m_hangUp = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Exception);
    QObject::connect(m_hangUp.get(), &QSocketNotifier::activated, m_hangUp.get(),
                     [this] { onHangUp(); });
    try {
        configure(settings);
    } catch (const CommError&) {
        release();
        throw;
    }
    m_applied = settings;
    qCDebug(lcSerial) << "COM" << port << "opened" << device << "at" << settings.toString();
}

void TermiosPort::applyDeviceSettings(const LineSettings& settings)
{
    // Bytes on their way would arrive garbled at the new settings: they leave first when that
    // takes a moment, and the change is refused while they cannot.
    if (const qint64 needs = m_applied.lineTimeMs(bytesPending()) + qint64(lineBusyMs());
        needs > 0) {
        if (needs <= kSettingsWaitMs && waitOut(true, QDeadlineTimer(needs + kSettingsWaitMs)).gone)
            throw CommError(failure(PortFailure::DeviceGone));
        if (const qint64 left = bytesPending()) {
            PortFailure f = failure(PortFailure::StillSending);
            f.pending = left;
            f.settings = m_applied;
            throw CommError(f);
        }
    }
    try {
        configure(settings);
    } catch (const CommError& e) {
        // Half-applied settings would garble every later command: go back to the last good ones.
        if (e.number() != err::DeviceUnavailable) {
            try {
                configure(m_applied);
            } catch (const CommError&) {
            }
        }
        throw;
    }
    m_applied = settings;
    qCDebug(lcSerial) << m_location << "line now" << settings.toString();
}

void TermiosPort::configure(const LineSettings& settings)
{
    const auto refuse = [&](int error) {
        // A far end that hung up takes no settings at all: that is a device gone.
        PortFailure f = failure(error == EIO || hungUp(m_fd) ? PortFailure::DeviceGone
                                                             : PortFailure::SettingsRefused);
        f.settings = settings;
        f.systemError = error;
        qCDebug(lcSerial) << m_location << "refused" << settings.toString() << error;
        return CommError(f);
    };
    if (hungUp(m_fd))
        throw refuse(EIO);
    if (settings.stopBits == StopBits::OneAndHalf)
        throw refuse(0);
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0)
        throw refuse(errno);
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
        throw refuse(errno);
    // Some drivers drop framing they cannot do and still report success: read it back.
    termios now{};
    const tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    if (::tcgetattr(m_fd, &now) != 0 || (now.c_cflag & framing) != (t.c_cflag & framing) ||
        (speed != B0 && ::cfgetospeed(&now) != speed))
        throw refuse(0);
}

void TermiosPort::writeDevice(const QByteArray& bytes)
{
    if (m_fd < 0)
        throw CommError(failure(PortFailure::DeviceGone));
    if (lcSerial().isDebugEnabled())
        qCDebug(lcSerial).noquote()
            << m_location << "write" << bytes.size()
            << "bytes:" << bytes.left(kLoggedBytes).toHex(' ').toUpper()
            << (bytes.size() > kLoggedBytes ? QStringLiteral("…") : QString());
    // In order behind whatever still waits; trying the line now finds a gone device at once.
    m_queue.append(bytes);
    if (!writeQueued()) {
        qCDebug(lcSerial) << m_location << "gone at a write:" << errno;
        throw CommError(failure(PortFailure::DeviceGone));
    }
    if (const qint64 pending = bytesPending()) {
        qCDebug(lcSerial) << m_location << pending << "bytes wait for the line";
        notifyPending();
    }
}

bool TermiosPort::writeQueued()
{
    while (m_sent < m_queue.size()) {
        const ssize_t n =
            ::write(m_fd, m_queue.constData() + m_sent, size_t(m_queue.size() - m_sent));
        if (n > 0) {
            m_sent += n;
            const double now = double(m_clock.nsecsElapsed()) / 1e6;
            m_lineFreeAt = std::max(m_lineFreeAt, now) +
                           double(n) * m_applied.frameBits() * 1000 / m_applied.baud;
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
    // Gone while bytes were waiting: closed now, and said at once.
    const qint64 dropped = unsentBytes();
    qCDebug(lcSerial) << m_location << "gone while" << dropped << "bytes waited";
    lostMeanwhile(dropped);
}

void TermiosPort::onHangUp()
{
    if (!hungUp(m_fd))
        return;
    const qint64 dropped = unsentBytes();
    qCDebug(lcSerial) << m_location << "hung up while" << dropped << "bytes were on their way";
    lostMeanwhile(dropped);
}

void TermiosPort::watchWritable(bool on)
{
    if (m_writable)
        m_writable->setEnabled(on);
}

QString TermiosPort::deviceName(int port) const
{
    return QFile::decodeName(systemLocation(m_map.deviceFor(port)));
}

std::optional<qint64> TermiosPort::driverQueue() const
{
    int driver = 0;
    if (m_fd < 0)
        return 0;
    if (::ioctl(m_fd, TIOCOUTQ, &driver) != 0)
        return std::nullopt;
    return driver;
}

qint64 TermiosPort::bytesPending() const
{
    return m_queue.size() - m_sent + driverQueue().value_or(0);
}

double TermiosPort::lineBusyMs() const
{
    return m_fd < 0 ? 0 : std::max(0.0, m_lineFreeAt - double(m_clock.nsecsElapsed()) / 1e6);
}

std::optional<qint64> TermiosPort::unsent(bool toDisplay) const
{
    const std::optional<qint64> driver = driverQueue();
    if (!driver)
        return std::nullopt;
    return std::max(m_queue.size() - m_sent + *driver, toDisplay ? onLineBytes() : 0);
}

qint64 TermiosPort::unsentBytes() const
{
    return std::max(bytesPending(), onLineBytes());
}

qint64 TermiosPort::onLineBytes() const
{
    return qint64(std::ceil(lineBusyMs() * m_applied.baud / m_applied.frameBits() / 1000));
}

void TermiosPort::discardPending()
{
    m_queue.clear();
    m_sent = 0;
    watchWritable(false);
    // A pseudo-terminal's buffer is the far end's to read, not a line's to send: a flush would
    // throw away bytes that still arrive, and its queue reads empty, so none would be counted.
    if (m_fd >= 0 && !m_pty)
        ::tcflush(m_fd, TCOFLUSH);
}

CommPortCore::Drained TermiosPort::drainDevice(bool toDisplay)
{
    const std::optional<qint64> left = unsent(toDisplay);
    if (!left) // what the driver held is lost with it; the line clock still tells the rest
        return {std::max(m_queue.size() - m_sent, toDisplay ? onLineBytes() : 0), true};
    return waitOut(toDisplay, QDeadlineTimer(m_applied.drainBoundMs(*left)));
}

CommPortCore::Drained TermiosPort::waitOut(bool toDisplay, const QDeadlineTimer& deadline)
{
    if (m_fd < 0)
        return {};
    // This loop writes what waits and finds a hang-up; the notifiers would act behind its back.
    watchWritable(false);
    m_hangUp->setEnabled(false);
    Drained end;
    for (qint64 last = m_queue.size() - m_sent;;) {
        const std::optional<qint64> left = unsent(toDisplay);
        if (!left) { // the device can no longer say what it holds: gone
            end = {last, true};
            break;
        }
        last = *left;
        // The last byte is taken a moment after its line time; the driver's queue says nothing
        // of it.
        if (*left == 0 &&
            (!toDisplay || m_lineFreeAt + kSettleMs <= double(m_clock.nsecsElapsed()) / 1e6))
            break;
        if (deadline.hasExpired() || !watchDrain(*left)) {
            end.left = *left;
            break;
        }
        // Woken when the device can take more, or at the next look; an idle device only tells
        // of a hang-up.
        const bool mine = m_sent < m_queue.size();
        pollfd p{m_fd, short(mine ? POLLOUT : 0), 0};
        ::poll(&p, 1, int(std::clamp<qint64>(deadline.remainingTime(), 0, kLookMs)));
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) ||
            (mine && (p.revents & POLLOUT) && !writeQueued())) {
            end = {*left, true};
            break;
        }
    }
    if (!end.gone && m_sent < m_queue.size())
        watchWritable(true);
    m_hangUp->setEnabled(!end.gone);
    if (end.gone)
        qCDebug(lcSerial) << m_location << "gone while" << end.left << "bytes were on their way";
    return end;
}

void TermiosPort::closeDevice()
{
    release();
}

bool TermiosPort::deviceMissing() const
{
    if (m_fd < 0 || hungUp(m_fd))
        return true;
    struct stat now {};
    return ::stat(m_location.constData(), &now) != 0 || now.st_rdev != m_rdev ||
           now.st_ino != m_ino;
}

void TermiosPort::release()
{
    watchWritable(false);
    if (m_hangUp)
        m_hangUp->setEnabled(false);
    if (m_fd < 0)
        return;
    // What is left would hold the close for the driver's own wait.
    if (bytesPending() > 0)
        discardPending();
    // After what a UART's own buffer still holds, so its last bytes keep the line's speed.
    ::tcsetattr(m_fd, TCSADRAIN, &m_found);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // lets go of the advisory lock too
    m_fd = -1;
    m_lock.release();
    m_queue.clear();
    m_sent = 0;
    m_lineFreeAt = 0;
    qCDebug(lcSerial) << m_location << "closed, its line put back";
}

PortFactory systemPortFactory(PortMap map)
{
    return [map = std::move(map)]() -> std::unique_ptr<CommPort> {
        return std::make_unique<TermiosPort>(map);
    };
}

} // namespace vq
