#include "testpty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
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
    if (m_remote) {
        ask({"new", QString::fromLatin1(QTest::currentDataTag())});
        m_path = QFileInfo(remoteLine()).canonicalFilePath();
        m_slave = ::open(QFile::encodeName(m_path).constData(),
                         O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return;
    }
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
    if (!m_remote)
        closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void Pty::startReading(qsizetype count)
{
    m_reader = std::thread([this, count] { m_collected = readNow(count); });
}

QByteArray Pty::received()
{
    if (m_reader.joinable())
        m_reader.join();
    return m_collected;
}

QByteArray Pty::readNow(qsizetype count)
{
    if (m_remote)
        return QByteArray::fromHex(ask({"take", QString::number(count)}));
    return readFor(m_master, count);
}

qsizetype Pty::unread() const
{
    if (m_remote)
        return ask({"unread"}).trimmed().toLongLong();
    int n = 0;
    return ::ioctl(m_master, FIONREAD, &n) == 0 ? n : -1;
}

void Pty::closeMaster()
{
    if (m_remote)
        ask({"unplug"});
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void Pty::stop(bool stopped)
{
    if (m_remote)
        ask({stopped ? "stop" : "run"});
    else
        ::tcflow(m_slave, stopped ? TCOOFF : TCOON);
}

QByteArray Pty::ask(const QStringList& words) const
{
    QProcess host;
    host.start(qEnvironmentVariable("VQ_TEST_ASK"), words);
    return host.waitForFinished(-1) ? host.readAllStandardOutput() : QByteArray();
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
