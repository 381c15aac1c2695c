#include "ctl/profile.h"

#include "ctl/report.h"
#include "display/session.h"
#include "serial/linesettings.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace vq::ctl {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The whole file, or why not. A pipe gives what it has until its writer closes it, as long as
// the writer does not fall silent for waitMs.
QByteArray readAll(int fd, bool stream, int waitMs, const QString& shown, QString* error)
{
    QByteArray data;
    char buffer[65536];
    bool anything = false;
    while (true) {
        if (stream) {
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, waitMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0) {
                *error = (anything ? QStringLiteral("%1: nothing more to read within %2 s, and "
                                                    "not ended: its writer has stopped")
                                   : QStringLiteral("%1: nothing to read within %2 s: no program "
                                                    "writes to it"))
                             .arg(shown)
                             .arg(waitMs / 1000);
                return {};
            }
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            *error = QStringLiteral("%1: %2").arg(shown, systemError(errno));
            return {};
        }
        if (n == 0)
            return data;
        anything = true;
        if (data.size() + n > kMaxProfileBytes) {
            *error = QStringLiteral("%1: larger than %2 MiB; a profile is a list of actions")
                         .arg(shown)
                         .arg(kMaxProfileBytes / (1024 * 1024));
            return {};
        }
        data.append(buffer, n);
    }
}

} // namespace

QStringList profileWords(const QString& line)
{
    qsizetype start = 0;
    while (start < line.size() && (line[start] == u' ' || line[start] == u'\t'))
        ++start;
    qsizetype end = start;
    while (end < line.size() && line[end] != u' ' && line[end] != u'\t')
        ++end;
    const QString name = line.mid(start, end - start);
    if (takesText(name))
        return {name, line.mid(end + 1)};
    QStringList words{name};
    words << line.mid(end).split(QRegularExpression(QStringLiteral("[ \\t]+")), Qt::SkipEmptyParts);
    return words;
}

Profile readProfile(const QByteArray& name, Planner& planner, int waitMs)
{
    Profile profile;
    const QString shown = name == "-" ? QStringLiteral("(stdin)") : printable(name);
    const int fd = name == "-" ? 0 : ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        profile.error = QStringLiteral("%1: %2").arg(shown, systemError(errno));
        return profile;
    }
    struct stat st {};
    ::fstat(fd, &st);
    const bool stream = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode);
    QByteArray data;
    if (S_ISDIR(st.st_mode))
        profile.error = QStringLiteral("%1: is a directory").arg(shown);
    else
        data = readAll(fd, stream, waitMs, shown, &profile.error);
    if (fd != 0)
        ::close(fd);
    if (!profile.error.isEmpty())
        return profile;
    if (data.isEmpty()) {
        profile.error = QStringLiteral("%1: is empty").arg(shown);
        return profile;
    }
    if (data.contains('\0')) {
        profile.error = QStringLiteral("%1: not a profile: it holds NUL bytes").arg(shown);
        return profile;
    }
    const QList<QByteArray> lines = data.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray bytes = lines[i];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        const QString text = textOf(bytes);
        const QString where = QStringLiteral("%1:%2: ").arg(shown).arg(i + 1);
        const QString head = text.trimmed();
        if (head.isEmpty() || head.startsWith(u'#'))
            continue;
        if (head.startsWith(u'[')) {
            profile.error = where + QStringLiteral("not a profile line: the INI form with "
                                                   "[sections] is no more; write one action a "
                                                   "line (see vq3360ctl --help)");
            return profile;
        }
        const QStringList words = profileWords(text);
        if (words.constFirst() == u"line") {
            if (profile.lineSettings || words.size() != 2 || !LineSettings::parse(words[1])) {
                profile.error = where + (profile.lineSettings
                                             ? QStringLiteral("a second line entry")
                                             : QStringLiteral("line takes settings such as %1")
                                                   .arg(DisplaySession::startupLine().toString()));
                return profile;
            }
            profile.lineSettings = words[1];
            continue;
        }
        if (!planner.addAction(words, where)) {
            profile.error = planner.plan().error;
            return profile;
        }
    }
    return profile;
}

} // namespace vq::ctl
