#include "cli/startup.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <unistd.h>

namespace vq::cli {

namespace {

const char* g_noDisplay = nullptr;
QtMessageHandler g_previous = nullptr;

void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(g_noDisplay, stderr);
        std::_Exit(2);
    }
    if (!QByteArray(context.category).startsWith("qt.qpa") && g_previous)
        g_previous(type, context, text);
}

} // namespace

StartupGuard::StartupGuard(const char* noDisplayLine)
{
    g_noDisplay = noDisplayLine;
    g_previous = qInstallMessageHandler(whileStarting);
}

StartupGuard::~StartupGuard()
{
    qInstallMessageHandler(g_previous);
}

void ensureStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0)
            continue;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

void stampLogLines()
{
    if (qEnvironmentVariableIsEmpty("QT_MESSAGE_PATTERN"))
        qSetMessagePattern(
            QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{category}: %{message}"));
}

} // namespace vq::cli
