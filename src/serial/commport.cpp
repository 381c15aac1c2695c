#include "serial/commport.h"

namespace vq {

namespace {
CommError invalidValue()
{
    return {err::InvalidPropertyValue, QStringLiteral("Invalid property value")};
}
CommError invalidPort()
{
    return {err::InvalidPortNumber, QStringLiteral("Invalid port number")};
}
CommError notOpen()
{
    return {err::PortNotOpen, QStringLiteral("Operation valid only when the port is open")};
}
} // namespace

CommPortCore::CommPortCore() = default;

void CommPortCore::setCommPort(qint16 port)
{
    if (port < 1 || port > 16)
        throw invalidPort();
    if (portOpen() && port != m_port)
        throw CommError(err::PortAlreadyOpen, QStringLiteral("Port already open"));
    m_port = port;
}

void CommPortCore::setSettings(const QString& settings)
{
    const auto parsed = LineSettings::parse(settings);
    if (!parsed)
        throw invalidValue();
    if (portOpen())
        applyDeviceSettings(*parsed);
    m_settings = *parsed;
}

void CommPortCore::setPortOpen(bool open)
{
    if (open == portOpen()) {
        if (open)
            throw CommError(err::PortAlreadyOpen, QStringLiteral("Port already open"));
        return;
    }
    if (open) {
        openDevice(m_port, m_settings);
        m_state = PortState::Open;
    } else {
        const bool healthy = m_state == PortState::Open;
        m_state = PortState::Closed;
        closeDevice(healthy);
    }
}

void CommPortCore::output(const QByteArray& bytes)
{
    if (!portOpen())
        throw notOpen();
    if (m_state == PortState::Open) {
        try {
            writeDevice(bytes);
            return;
        } catch (const CommError& e) {
            if (e.number() != err::DeviceUnavailable)
                throw;
        }
    }
    // Report a lost device once, then behave as closed so nothing loops on it.
    m_state = PortState::Closed;
    closeDevice(false);
    if (m_onLost)
        m_onLost();
    throw CommError(err::DeviceUnavailable, QStringLiteral("Device unavailable"));
}

bool CommPortCore::deviceGone() const
{
    return m_state == PortState::Lost || (m_state == PortState::Open && deviceMissing());
}

void ClosedPort::setCommPort(qint16)
{
    throw notOpen();
}
void ClosedPort::setSettings(const QString&)
{
    throw notOpen();
}
void ClosedPort::setPortOpen(bool)
{
    throw notOpen();
}
void ClosedPort::output(const QByteArray&)
{
    throw notOpen();
}

} // namespace vq
