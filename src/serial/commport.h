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
    // True when the port reads open but its device has gone or was replaced meanwhile.
    virtual bool deviceGone() const { return false; }
    // The device a port number opens, as the operator would name it; empty when unknown.
    virtual QString deviceName(int /*port*/) const { return {}; }
};

// Where the port stands. Closed -> Open: the device opened. Open -> Lost: the device went away
// between writes; it was closed, but the port still reads open. Open or Lost -> Closed: a close,
// or a write that found the device gone, which reports it once.
enum class PortState { Closed, Open, Lost };

// Holds the property values and their validation; a backend only moves bytes.
class CommPortCore : public CommPort {
public:
    CommPortCore();
    ~CommPortCore() override = default;

    qint16 commPort() const override { return m_port; }
    void setCommPort(qint16 port) override;
    QString settings() const override { return m_settings.toString(); }
    void setSettings(const QString& settings) override;
    bool portOpen() const override { return m_state != PortState::Closed; }
    void setPortOpen(bool open) override;
    void output(const QByteArray& bytes) override;
    bool deviceGone() const override;

    // Called when the port was closed by a fault (device gone), so a window can show it.
    void setOnLost(std::function<void()> onLost) { m_onLost = std::move(onLost); }
    // Called when bytes are left waiting for a slow line.
    void setOnPending(std::function<void()> onPending) { m_onPending = std::move(onPending); }

protected:
    virtual void openDevice(int port, const LineSettings& settings) = 0;
    virtual void applyDeviceSettings(const LineSettings& settings) = 0;
    // Throws DeviceUnavailable when the device has gone.
    virtual void writeDevice(const QByteArray& bytes) = 0;
    // With drain, the bytes already written go out first, as far as the line takes them within
    // the time their length needs at the line's speed.
    virtual void closeDevice(bool drain) = 0;
    // True when the open device has gone from under its name, or was replaced.
    virtual bool deviceMissing() const { return false; }

    PortState portState() const { return m_state; }
    // For backends that learn of a lost device outside a write: the next write reports it.
    void setPortState(PortState state) { m_state = state; }
    void notifyPending()
    {
        if (m_onPending)
            m_onPending();
    }

private:
    qint16 m_port = 1;
    LineSettings m_settings;
    PortState m_state = PortState::Closed;
    std::function<void()> m_onLost;
    std::function<void()> m_onPending;
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
