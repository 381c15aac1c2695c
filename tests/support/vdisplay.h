#pragma once

#include <functional>
#include <QJsonObject>
#include <QList>
#include <QProcess>

namespace vq::test {

// Only keeps a broken run from hanging; never judges speed.
inline constexpr int kPatienceMs = 10000;

// The virtual display, headless, as a child process: its device path, then one JSON event a
// line. Reading keeps this process's event loop turning.
class VirtualDisplay {
public:
    ~VirtualDisplay() { stop(); }
    bool start(const QStringList& args = {QStringLiteral("--headless")});
    void stop();

    QString path() const { return m_path; }
    QProcess& process() { return m_process; }

    // Reads events until done() is satisfied, or gives up after a long while.
    QList<QJsonObject> eventsUntil(const std::function<bool(const QList<QJsonObject>&)>& done);
    QList<QJsonObject> events(qsizetype count);

    // Holds the display's reading: what is written meanwhile arrives in one read, as
    // back-to-back bytes do on a wire.
    bool hold();
    void release();

private:
    bool stopped() const;
    QList<QByteArray> lines(int count);

    QProcess m_process;
    QByteArray m_buffer;
    QString m_path;
    bool m_held = false;
};

} // namespace vq::test
