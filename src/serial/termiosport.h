#pragma once

#include "serial/commport.h"
#include "serial/lockfile.h"
#include "serial/portmap.h"

#include <memory>
#include <optional>
#include <QByteArray>
#include <QElapsedTimer>
#include <sys/types.h>
#include <termios.h>

class QDeadlineTimer;
class QSocketNotifier;

namespace vq {

// The port on a terminal device through termios. Opened write-only: the display never answers.
// A write the driver cannot take at once waits in order behind what is pending and goes out as
// the line takes it; only a device error counts as the device gone. The device is held the way
// serial programs coordinate: an advisory lock on its node, the lock file and the terminal's
// exclusive mode; closing puts back the line settings found at open.
//
// Not QSerialPort: its lock file cannot take over another user's stale one, it keys the lock to
// the name given rather than the device, and it reports a full transmit buffer (EAGAIN) as an
// error, where a slow line only means "later".
class TermiosPort final : public CommPortCore {
public:
    explicit TermiosPort(PortMap map = {});
    ~TermiosPort() override;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    qint64 bytesPending() const override;
    QString deviceName(int port) const override;
    void discardPending() override;

protected:
    void openDevice(int port, const LineSettings& settings) override;
    void applyDeviceSettings(const LineSettings& settings) override;
    void writeDevice(const QByteArray& bytes) override;
    Drained drainDevice(bool toDisplay) override;
    void closeDevice() override;
    bool deviceMissing() const override;
    qint64 unsentBytes() const override;

private:
    PortFailure failure(PortFailure::Kind kind) const;
    void configure(const LineSettings& settings);
    // The one wait for bytes written: they are written as the device becomes writable, until
    // none is left to go (toDisplay: and their line time is over), the deadline passes, the drain
    // watch says stop, or the device goes.
    Drained waitOut(bool toDisplay, const QDeadlineTimer& deadline);
    // What the driver still holds; empty when the device cannot say, as one unplugged.
    std::optional<qint64> driverQueue() const;
    // Bytes not gone yet; toDisplay counts those the line clock says are still on their way.
    std::optional<qint64> unsent(bool toDisplay) const;
    // Milliseconds until the last byte handed to the driver has had its time on the line, and
    // the bytes that takes.
    double lineBusyMs() const;
    qint64 onLineBytes() const;
    // Writes what the driver takes now; false when the device has gone.
    bool writeQueued();
    void onWritable();
    void onHangUp();
    void watchWritable(bool on);
    void release();

    PortMap m_map;
    int m_port = 0;
    int m_fd = -1;
    QByteArray m_location; // as mapped, for messages
    LockFile m_lock;
    bool m_pty = false;
    dev_t m_rdev = 0;
    ino_t m_ino = 0;
    termios m_found{}; // the line as it was at open
    LineSettings m_applied;
    QByteArray m_queue; // written by the utility, not yet taken by the driver
    qsizetype m_sent = 0;
    std::unique_ptr<QSocketNotifier> m_writable;
    // A device that goes while nothing of the port's own waits: the driver may still hold bytes,
    // and they are lost now, not at the next write.
    std::unique_ptr<QSocketNotifier> m_hangUp;
    // The line clock: when the bytes handed to the driver will all have been on the wire,
    // in milliseconds of m_clock. A UART's own buffer and a pseudo-terminal report none of them.
    QElapsedTimer m_clock;
    double m_lineFreeAt = 0;
};

// Makes the application's port; each port number opens the device the map names.
PortFactory systemPortFactory(PortMap map);

} // namespace vq
