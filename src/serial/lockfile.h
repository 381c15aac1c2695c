#pragma once

#include <QByteArray>
#include <sys/types.h>

namespace vq {

// The lock file serial programs agree on: /run/lock/LCK..<the device's name under /dev>, each
// "/" as "_", holding the owner's process id. Other programs write the id as text (with or
// without blanks, or as "pid=N") or as a binary int; every such form is read. The lock folder
// is everyone's to write in, so only a small regular file is read or taken over, never through a
// link and never waiting: anything else at that name keeps the device from everyone until it is
// removed.
class LockFile {
public:
    struct Holder {
        // Unknown: names no process; NotAFile: a FIFO, a link, a folder or a file too large
        enum State { None, Live, Dead, Unknown, NotAFile } state = None;
        pid_t pid = 0;
    };

    LockFile() = default;
    ~LockFile() { release(); }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Empty when no lock folder may be written here.
    static QByteArray pathFor(const QByteArray& device);
    static Holder holderOf(const QByteArray& file);

    // Takes the file for this process: one nobody holds, or whose owner has died. Returns what
    // it found: Live, Unknown or NotAFile keep it from us; None or Dead, and it is ours where it
    // could be made (a dead owner's file in another user's sticky folder may stay: the lock on the
    // node still holds the device).
    Holder take(const QByteArray& file);
    // Removes the file if it is ours.
    void release();
    bool held() const { return !m_file.isEmpty(); }

private:
    QByteArray m_file;
};

} // namespace vq
