#include "fakeport.h"

namespace vq::test {

QByteArray FakePort::written() const
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all += w;
    return all;
}

void FakePort::openDevice(int port, const LineSettings& settings)
{
    if (auto it = m_openFailures.constFind(port); it != m_openFailures.constEnd())
        throw *it;
    if (!m_settingsRefusal.isEmpty())
        throw CommError(err::SettingsRefused, m_settingsRefusal);
    events << QStringLiteral("open %1 %2").arg(port).arg(settings.toString());
}

void FakePort::applyDeviceSettings(const LineSettings& settings)
{
    if (!m_settingsRefusal.isEmpty())
        throw CommError(err::SettingsRefused, m_settingsRefusal);
    events << QStringLiteral("apply %1").arg(settings.toString());
}

void FakePort::writeDevice(const QByteArray& bytes)
{
    if (m_writeFailures > 0) {
        --m_writeFailures;
        throw CommError(m_writeFailure, QStringLiteral("scripted failure %1").arg(m_writeFailure));
    }
    writes << bytes;
    if (log)
        *log << bytes;
}

void FakePort::closeDevice()
{
    events << QStringLiteral("close");
}

} // namespace vq::test
