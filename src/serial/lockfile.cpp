#include "serial/lockfile.h"

#include "serial/log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vq {

namespace {

// Lock files hold a process id and perhaps a name or two.
constexpr off_t kMaxLockFileBytes = 256;

// The number in "  1234\n", "1234", "pid=1234" or "PID: 1234 name", or in a binary int; 0 when
// there is none.
pid_t parsePid(const QByteArray& text)
{
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t';
    });
    if (!printable) {
        int binary = 0;
        if (text.size() != sizeof binary)
            return 0;
        std::memcpy(&binary, text.constData(), sizeof binary);
        return binary > 0 ? pid_t(binary) : 0;
    }
    QByteArray rest = text.trimmed();
    if (rest.toLower().startsWith("pid")) {
        rest = rest.mid(3).trimmed();
        if (rest.startsWith('=') || rest.startsWith(':'))
            rest = rest.mid(1).trimmed();
    }
    qsizetype digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > 9 ||
        (digits < rest.size() && rest[digits] != ' ' && rest[digits] != '\n' &&
         rest[digits] != '\t'))
        return 0;
    return pid_t(rest.left(digits).toInt());
}

} // namespace

QByteArray LockFile::pathFor(const QByteArray& device)
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

LockFile::Holder LockFile::holderOf(const QByteArray& file)
{
    // Looked at before it is opened, as opening a device node can act on the device; and without
    // waiting, since a FIFO put there would hold the open until somebody writes to it.
    struct stat st {};
    if (::lstat(file.constData(), &st) != 0)
        return {errno == ENOENT ? Holder::None : Holder::Unknown, 0};
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxLockFileBytes)
        return {Holder::NotAFile, 0};
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return {errno == ENOENT  ? Holder::None
                : errno == ELOOP ? Holder::NotAFile
                                 : Holder::Unknown,
                0};
    // Swapped for something else since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxLockFileBytes) {
        ::close(fd);
        return {Holder::NotAFile, 0};
    }
    char text[kMaxLockFileBytes];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    const pid_t pid = n > 0 ? parsePid(QByteArray(text, n)) : 0;
    if (pid <= 0)
        return {Holder::Unknown, 0};
    // A file naming this process is one it left behind under a recycled id.
    if (pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM))
        return {Holder::Live, pid};
    return {Holder::Dead, pid};
}

LockFile::Holder LockFile::take(const QByteArray& file)
{
    release();
    if (file.isEmpty())
        return {};
    const Holder found = holderOf(file);
    if (found.state != Holder::None && found.state != Holder::Dead) {
        qCDebug(lcSerial) << "lock file" << file << "kept by" << found.pid;
        return found;
    }
    const bool cleared = ::unlink(file.constData()) == 0 || errno == ENOENT;
    if (found.state == Holder::Dead)
        qCDebug(lcSerial) << "lock file" << file << "of ended process" << found.pid
                          << (cleared ? "taken over" : "cannot be removed");
    const int fd = ::open(file.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        // One that appears after a clean look is another program's.
        if (cleared && errno == EEXIST) {
            const Holder now = holderOf(file);
            return now.state == Holder::Live || now.state == Holder::NotAFile
                       ? now
                       : Holder{Holder::Unknown, 0};
        }
        return found;
    }
    const QByteArray pid = QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n';
    const bool written = ::write(fd, pid.constData(), size_t(pid.size())) == pid.size();
    ::close(fd);
    if (written)
        m_file = file;
    else
        ::unlink(file.constData());
    qCDebug(lcSerial) << "lock file" << file << (written ? "taken" : "could not be written");
    return found;
}

void LockFile::release()
{
    if (m_file.isEmpty())
        return;
    ::unlink(m_file.constData());
    qCDebug(lcSerial) << "lock file" << m_file << "removed";
    m_file.clear();
}

} // namespace vq
