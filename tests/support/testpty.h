#pragma once

#include <atomic>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <thread>

namespace vq::test {

// A pseudo-terminal made for one test: the port under test opens the slave by its path and
// the test reads the master. The test keeps its own slave descriptor so it can read back the
// line settings the port gave the device.
//
// In the kernel tier's guest it is the real line $VQ_TEST_LINE instead, whose far end, on the
// host, is reached through the command $VQ_TEST_ASK: it takes bytes only once read, as a
// master does, stops as a stopped terminal does, and an adapter is unplugged when the master
// would close and plugged back for the next one made.
class Pty {
public:
    Pty();
    ~Pty();
    Q_DISABLE_COPY(Pty)

    static QString remoteLine() { return qEnvironmentVariable("VQ_TEST_LINE"); }
    bool isValid() const { return m_master >= 0 || (m_remote && m_slave >= 0); }
    QString path() const { return m_path; }
    int slave() const { return m_slave; }

    // Collects on a thread, so a port that drains while closing finds a reader.
    void startReading(qsizetype count);
    // Everything collected; stops early only when the far end is silent far too long.
    QByteArray received();

    // Waits, without running the event loop, until count bytes are there to read.
    QByteArray readNow(qsizetype count);

    // Bytes there to read now.
    qsizetype unread() const;

    // The far end goes away, as when a USB adapter is pulled.
    void closeMaster();
    // The line stops taking bytes, or takes them again.
    void stop(bool stopped);

private:
    QByteArray ask(const QStringList& words) const;

    bool m_remote = !remoteLine().isEmpty();
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    std::thread m_reader;
    QByteArray m_collected;
};

// Root ignores an exclusive open, so a test running as root takes another user's rights while
// this lives.
class OtherUser {
public:
    OtherUser();
    ~OtherUser();
    Q_DISABLE_COPY(OtherUser)
    bool active() const { return m_active; }

private:
    bool m_root;
    bool m_active = false;
};

} // namespace vq::test
