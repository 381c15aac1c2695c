#include "app/virtualdisplay.h"

#include <csignal>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <sys/prctl.h>

namespace vq {

namespace {

constexpr int kStartMs = 10000;

QString program()
{
    const QString beside =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() +
        QStringLiteral("/vq3360-virtual-display");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("vq3360-virtual-display"));
}

} // namespace

VirtualDisplayProcess::VirtualDisplayProcess() = default;

VirtualDisplayProcess::~VirtualDisplayProcess()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(3000))
        m_process->kill();
    m_process->waitForFinished(1000);
}

QByteArray VirtualDisplayProcess::start(const QList<QByteArray>& qtArgs, QString* error)
{
    const QString exe = program();
    if (exe.isEmpty()) {
        *error = QStringLiteral("vq3360-virtual-display is neither beside this program nor on "
                                "the PATH");
        return {};
    }
    m_process = std::make_unique<QProcess>();
    // It goes with this process, however this one ends.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args;
    for (const QByteArray& a : qtArgs)
        args << QString::fromLocal8Bit(a);
    m_process->start(exe, args);
    const QDeadlineTimer deadline(kStartMs);
    while (!m_process->canReadLine() && m_process->state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_process->waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
    const QByteArray device = m_process->readLine().trimmed();
    if (!device.startsWith('/')) {
        *error =
            QStringLiteral("%1 did not start: %2")
                .arg(exe, m_process->state() == QProcess::NotRunning
                              ? QStringLiteral("it ended with status %1").arg(m_process->exitCode())
                              : QStringLiteral("it printed no device"));
        return {};
    }
    // The window logs nothing more on stdout; what it might is not waited for.
    m_process->closeReadChannel(QProcess::StandardOutput);
    return device;
}

} // namespace vq
