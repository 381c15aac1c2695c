#include "vdisplay.h"

#include <csignal>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTest>
#include <sys/prctl.h>

namespace vq::test {

bool VirtualDisplay::start(const QStringList& args)
{
    // Ends with this process even if it crashes, so no orphan keeps a terminal.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The kernel tier keeps the display on its host, at the far end of a real line, and runs a
    // stand-in here that prints the guest's device and relays the display's events.
    m_process.start(qEnvironmentVariable("VQ_TEST_DISPLAY", QStringLiteral(VQ_VDISPLAY_EXE)), args);
    if (!m_process.waitForStarted(kPatienceMs))
        return false;
    const QList<QByteArray> first = lines(1);
    m_path = first.isEmpty() ? QString() : QString::fromLocal8Bit(first[0]);
    return m_path.startsWith(QLatin1String("/dev/"));
}

void VirtualDisplay::stop()
{
    release();
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_process.waitForFinished(kPatienceMs);
}

QList<QJsonObject>
VirtualDisplay::eventsUntil(const std::function<bool(const QList<QJsonObject>&)>& done)
{
    QList<QJsonObject> got;
    while (!done(got)) {
        const QList<QByteArray> next = lines(1);
        if (next.isEmpty())
            break;
        got << QJsonDocument::fromJson(next[0]).object();
    }
    return got;
}

QList<QJsonObject> VirtualDisplay::events(qsizetype count)
{
    return eventsUntil([count](const QList<QJsonObject>& got) { return got.size() >= count; });
}

bool VirtualDisplay::hold()
{
    m_held = ::kill(m_process.processId(), SIGSTOP) == 0;
    return m_held && QTest::qWaitFor([this] { return stopped(); }, kPatienceMs);
}

void VirtualDisplay::release()
{
    if (std::exchange(m_held, false))
        ::kill(m_process.processId(), SIGCONT);
}

bool VirtualDisplay::stopped() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype end = text.lastIndexOf(')');
    return end >= 0 && text.size() > end + 2 && text[end + 2] == 'T';
}

QList<QByteArray> VirtualDisplay::lines(int count)
{
    const QDeadlineTimer deadline(kPatienceMs);
    m_buffer += m_process.readAllStandardOutput();
    while (m_buffer.count('\n') < count && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running) {
        QTest::qWait(2);
        m_buffer += m_process.readAllStandardOutput();
    }
    QList<QByteArray> out;
    for (qsizetype end; out.size() < count && (end = m_buffer.indexOf('\n')) >= 0;) {
        out << m_buffer.left(end);
        m_buffer.remove(0, end + 1);
    }
    return out;
}

} // namespace vq::test
