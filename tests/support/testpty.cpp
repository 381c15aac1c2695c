#include "testpty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vq::test {

namespace {

// Only a guard against hanging on a port that sends nothing; no test measures time.
constexpr int kSilenceMs = 5000;

QByteArray readFor(int fd, qsizetype count)
{
    QByteArray data;
    char buffer[4096];
    while (data.size() < count) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, kSilenceMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    return data;
}

} // namespace

Pty::Pty()
{
    termios raw{};
    ::cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_path = QString::fromLocal8Bit(name);
    // A program the test starts must not keep the far end alive.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty()
{
    if (m_reader.joinable())
        m_reader.join();
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void Pty::startReading(qsizetype count)
{
    m_reader = std::thread([this, count] { m_collected = readFor(m_master, count); });
}

QByteArray Pty::received()
{
    if (m_reader.joinable())
        m_reader.join();
    return m_collected;
}

QByteArray Pty::readNow(qsizetype count)
{
    return readFor(m_master, count);
}

qsizetype Pty::unread() const
{
    int n = 0;
    return ::ioctl(m_master, FIONREAD, &n) == 0 ? n : -1;
}

void Pty::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

OtherUser::OtherUser() : m_root(::geteuid() == 0)
{
    m_active = !m_root || ::seteuid(65534) == 0;
}

OtherUser::~OtherUser()
{
    // The rest of the run needs root back; it cannot go on as another user.
    if (m_root && m_active && ::seteuid(0) != 0)
        qFatal("cannot become root again");
}

} // namespace vq::test
