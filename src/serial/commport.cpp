#include "serial/commport.h"

namespace vq {

namespace {
CommError failure(PortFailure::Kind kind)
{
    PortFailure f;
    f.kind = kind;
    return CommError(f);
}
} // namespace

CommPortCore::CommPortCore() = default;

void CommPortCore::setCommPort(qint16 port)
{
    if (port < 1 || port > 16)
        throw failure(PortFailure::InvalidPort);
    if (portOpen() && port != m_port)
        throw failure(PortFailure::AlreadyOpen);
    m_port = port;
}

void CommPortCore::setSettings(const QString& settings)
{
    const auto parsed = LineSettings::parse(settings);
    if (!parsed)
        throw failure(PortFailure::InvalidValue);
    if (portOpen()) {
        try {
            applyDeviceSettings(*parsed);
        } catch (const CommError& e) {
            if (e.number() == err::DeviceUnavailable)
                closeLost(true);
            throw;
        }
    }
    m_settings = *parsed;
}

void CommPortCore::setPortOpen(bool open)
{
    if (open == portOpen()) {
        if (open)
            throw failure(PortFailure::AlreadyOpen);
        return;
    }
    if (open) {
        // Asked for while a close still waits for its bytes: that close is not over yet.
        if (m_closing)
            throw failure(PortFailure::AlreadyOpen);
        openDevice(m_port, m_settings);
        m_open = true;
        return;
    }
    // Closed from here on for every caller; the wait only lets go what was written before.
    m_open = false;
    m_closing = true;
    const Drained drained = drainDevice(false);
    m_closing = false;
    m_notSent = drained.gone ? 0 : drained.left;
    closeDevice();
    if (drained.gone)
        notifyLost(drained.left, false);
}

qint64 CommPortCore::drain()
{
    if (!m_open)
        return 0;
    const Drained drained = drainDevice(true);
    if (drained.gone) {
        closeLost(false, drained.left);
        return 0;
    }
    if (drained.left > 0)
        discardPending();
    return drained.left;
}

void CommPortCore::output(const QByteArray& bytes)
{
    if (!portOpen())
        throw failure(PortFailure::NotOpen);
    // The write that finds the device gone is told by its failure; what waited before it is
    // counted.
    const qint64 before = unsentBytes();
    try {
        writeDevice(bytes);
    } catch (const CommError& e) {
        if (e.number() == err::DeviceUnavailable)
            closeLost(true, before);
        throw;
    }
}

// Said once, then the port is closed, so nothing loops on it.
void CommPortCore::closeLost(bool atWrite, qint64 dropped)
{
    if (dropped < 0)
        dropped = unsentBytes();
    m_open = false;
    m_notSent = 0;
    closeDevice();
    notifyLost(dropped, atWrite);
}

void CommPortCore::lostMeanwhile(qint64 dropped)
{
    closeLost(false, dropped);
}

void ClosedPort::setCommPort(qint16)
{
    throw failure(PortFailure::NotOpen);
}
void ClosedPort::setSettings(const QString&)
{
    throw failure(PortFailure::NotOpen);
}
void ClosedPort::setPortOpen(bool)
{
    throw failure(PortFailure::NotOpen);
}
void ClosedPort::output(const QByteArray&)
{
    throw failure(PortFailure::NotOpen);
}

} // namespace vq
