#include "virtual_display/ptyendpoint.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vq::vdisplay {

int baudFromSpeed(unsigned int speed)
{
    switch (speed) {
    case B50:
        return 50;
    case B75:
        return 75;
    case B110:
        return 110;
    case B134:
        return 134;
    case B150:
        return 150;
    case B200:
        return 200;
    case B300:
        return 300;
    case B600:
        return 600;
    case B1200:
        return 1200;
    case B1800:
        return 1800;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

PtyEndpoint::PtyEndpoint(QObject* parent) : QObject(parent) {}

PtyEndpoint::~PtyEndpoint()
{
    closeAll();
}

void PtyEndpoint::closeAll()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool PtyEndpoint::open(QString* error)
{
    auto fail = [&](const char* step) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        closeAll();
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);

    // Held for our whole life: while one opener of the slave remains, the master never
    // sees a hang-up when the PC side closes, and the path stays valid for its next open.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open slave");

    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");

    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyEndpoint::readMaster);
    auto* staleCheck = new QTimer(this);
    connect(staleCheck, &QTimer::timeout, this, &PtyEndpoint::releaseStaleExclusive);
    staleCheck->start(kStaleCheckMs);
    return true;
}

SerialLine PtyEndpoint::pcLine() const
{
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return {};
    const tcflag_t c = tio.c_cflag;
    SerialLine line;
    line.baud = baudFromSpeed(::cfgetospeed(&tio));
    const tcflag_t size = c & CSIZE;
    line.framing.dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const bool odd = c & PARODD;
    line.framing.parity = !(c & PARENB) ? 'n' : (c & CMSPAR) ? (odd ? 'm' : 's') : odd ? 'o' : 'e';
    line.framing.stopBits = c & CSTOPB ? 2 : 1;
    return line;
}

// A PC side that died with the port open leaves the terminal in exclusive mode, which this end
// keeps alive, and nobody else could open it again. Taken off once nobody holds the device's
// advisory lock, as a live opener does.
void PtyEndpoint::releaseStaleExclusive()
{
    int exclusive = 0;
    if (::ioctl(m_slave, TIOCGEXCL, &exclusive) != 0 || !exclusive)
        return;
    if (::flock(m_slave, LOCK_EX | LOCK_NB) != 0)
        return;
    ::ioctl(m_slave, TIOCNXCL);
    ::flock(m_slave, LOCK_UN);
}

void PtyEndpoint::readMaster()
{
    QByteArray data;
    char buffer[4096];
    while (data.size() < ReadChunk) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && m_notifier) {
            // Should not happen while we hold the slave; back off instead of spinning.
            m_notifier->setEnabled(false);
            QTimer::singleShot(100, this, [this] {
                if (m_notifier)
                    m_notifier->setEnabled(true);
            });
        }
        break;
    }
    if (!data.isEmpty())
        emit dataReceived(data, pcLine());
}

} // namespace vq::vdisplay
