#pragma once

#include "serial/commerror.h"
#include "serial/linesettings.h"

#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>

namespace vq {

// The four properties the utility uses of its serial port. Every setter and Output may throw
// CommError; a rejected assignment leaves the previous value.
class CommPort {
public:
    virtual ~CommPort() = default;

    virtual qint16 commPort() const = 0;
    virtual void setCommPort(qint16 port) = 0;
    virtual QString settings() const = 0;
    virtual void setSettings(const QString& settings) = 0;
    virtual bool portOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;
    // One whole command per call; every byte goes out as is, in order, however slow the line.
    virtual void output(const QByteArray& bytes) = 0;

    // Bytes written that have not left yet: a slow or stopped line keeps them. None once closed.
    virtual qint64 bytesPending() const { return 0; }
    // Throws them away, so the next close does not wait for them.
    virtual void discardPending() {}
    // Waits until the bytes written have had their time on the line and the display has taken
    // them, as before the line changes or a script ends, within the bound a close has (their line
    // time and a second), asking the drain watch at each look. What did not go is thrown away
    // and returned; a device that goes meanwhile closes the port, as a write that finds it would.
    virtual qint64 drain() { return 0; }
    // What the last close threw away, once its wait for the bytes pending was over.
    virtual qint64 notSentAtClose() const { return 0; }
    // Asked at each look while a drain or a close waits for bytes, with how many are left; false
    // cuts the wait short. A close asks it as the port already reads closed, so whatever it lets
    // run meanwhile writes nothing.
    using DrainWatch = std::function<bool(qint64 left)>;
    void setDrainWatch(DrainWatch watch) { m_drainWatch = std::move(watch); }
    // True when the port reads open but its device has gone or was replaced meanwhile.
    virtual bool deviceGone() const { return false; }
    // The device a port number opens, as the operator would name it; empty when none.
    virtual QString deviceName(int /*port*/) const { return {}; }

    // The device went away while the port was open, and the port closed: `dropped` bytes were
    // never sent. `atWrite` when a write found it, whose caller is told by its failure too.
    using LostHandler = std::function<void(qint64 dropped, bool atWrite)>;
    void setOnLost(LostHandler onLost) { m_onLost = std::move(onLost); }
    // Bytes were left waiting for a slow line.
    void setOnPending(std::function<void()> onPending) { m_onPending = std::move(onPending); }

protected:
    void notifyLost(qint64 dropped, bool atWrite)
    {
        if (m_onLost)
            m_onLost(dropped, atWrite);
    }
    void notifyPending()
    {
        if (m_onPending)
            m_onPending();
    }
    bool watchDrain(qint64 left) const { return !m_drainWatch || m_drainWatch(left); }

private:
    LostHandler m_onLost;
    std::function<void()> m_onPending;
    DrainWatch m_drainWatch;
};

// Holds the property values and their validation; a backend only moves bytes.
class CommPortCore : public CommPort {
public:
    CommPortCore();
    ~CommPortCore() override = default;

    qint16 commPort() const override { return m_port; }
    void setCommPort(qint16 port) override;
    QString settings() const override { return m_settings.toString(); }
    void setSettings(const QString& settings) override;
    bool portOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    void output(const QByteArray& bytes) override;
    bool deviceGone() const override { return m_open && deviceMissing(); }
    qint64 drain() override;
    qint64 notSentAtClose() const override { return m_notSent; }

protected:
    struct Drained {
        qint64 left = 0; // bytes that had not gone when the wait ended
        bool gone = false;
    };

    virtual void openDevice(int port, const LineSettings& settings) = 0;
    virtual void applyDeviceSettings(const LineSettings& settings) = 0;
    // Throws DeviceUnavailable when the device has gone.
    virtual void writeDevice(const QByteArray& bytes) = 0;
    // Waits as the line takes the bytes written, within the bound a close has: until the driver
    // has sent them, or, toDisplay, until they have had their time on the line too.
    virtual Drained drainDevice(bool /*toDisplay*/) { return {}; }
    // Lets the device go at once; whatever is still pending is thrown away.
    virtual void closeDevice() = 0;
    // True when the open device has gone from under its name, or was replaced.
    virtual bool deviceMissing() const { return false; }
    // What a device gone now would take along: the bytes pending, and those still on the line.
    virtual qint64 unsentBytes() const { return bytesPending(); }

    // For backends that find the device gone outside a write: closed, and said at once.
    void lostMeanwhile(qint64 dropped);

private:
    void closeLost(bool atWrite, qint64 dropped = -1);

    qint16 m_port = 1;
    LineSettings m_settings;
    bool m_open = false;
    bool m_closing = false;
    qint64 m_notSent = 0;
};

// Stands in for the port when no main window owns one: everything behaves as a closed port.
class ClosedPort final : public CommPort {
public:
    qint16 commPort() const override { return 1; }
    void setCommPort(qint16) override;
    QString settings() const override { return LineSettings{}.toString(); }
    void setSettings(const QString&) override;
    bool portOpen() const override { return false; }
    void setPortOpen(bool) override;
    void output(const QByteArray&) override;
};

using PortFactory = std::function<std::unique_ptr<CommPort>()>;

} // namespace vq
