#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vq::vdisplay {

// The display's end of a pseudo-terminal. The PC side opens slavePath() as if it
// were a serial port; whatever it writes arrives here through dataReceived().
class PtyEndpoint : public QObject {
    Q_OBJECT

public:
    // Bytes handed over per wake-up; the rest waits in the kernel for the next one.
    static constexpr int ReadChunk = 64 * 1024;
    static constexpr int kStaleCheckMs = 500;

    explicit PtyEndpoint(QObject* parent = nullptr);
    ~PtyEndpoint() override;

    bool open(QString* error);
    QString slavePath() const { return m_slavePath; }
    // The speed the PC side last set on the port; 0 when unknown.
    int pcBaud() const;

signals:
    void dataReceived(const QByteArray& data, int pcBaud);

private:
    void readMaster();
    void releaseStaleExclusive();
    void closeAll();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
};

int baudFromSpeed(unsigned int speed);

} // namespace vq::vdisplay
