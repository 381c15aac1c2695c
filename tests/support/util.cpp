#include "util.h"

#include "app/formall.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <sys/resource.h>

namespace vq::test {

namespace {

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

double busyShare(int ms)
{
    // Whatever is already queued (painting the windows) is not the loop's own doing.
    QCoreApplication::processEvents();
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - before) / std::max(wall.elapsed() / 1000.0, 0.001);
}

int handlesOn(const QString& device)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        count += target == device || target.startsWith(device + QLatin1String(" ("));
    }
    return count;
}

QString look(Formall* w, const char* name, int index)
{
    const auto* l = w->controls().find<QLabel>(name, index);
    return l->text() + u' ' + l->palette().color(QPalette::WindowText).name();
}

PortMap portMap(const QByteArray& com1, const QString& absent)
{
    PortMap map;
    map.devices.insert(1, com1);
    for (int n = 2; n <= 6; ++n)
        map.devices.insert(
            n, QFile::encodeName(QDir(absent).filePath(QStringLiteral("com%1").arg(n))));
    return map;
}

bool cutToFit(const QString& shown, const QString& whole)
{
    if (shown.size() < 2 || !shown.endsWith(u'…'))
        return false;
    const QString head = shown.chopped(1);
    return whole.size() > head.size() && whole.startsWith(head) &&
           (whole[head.size()] == u' ' || head.endsWith(u'/'));
}

} // namespace vq::test
