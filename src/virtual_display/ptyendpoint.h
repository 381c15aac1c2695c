#pragma once

#include "virtual_display/serialline.h"

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
    // The line the PC side last set on the port; a baud of 0 when unknown. A pseudo-terminal
    // keeps 8 data bits without parity whatever is asked of it, but it does keep the speed and
    // the stop bits.
    SerialLine pcLine() const;

signals:
    void dataReceived(const QByteArray& data, const vq::vdisplay::SerialLine& pc);

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
