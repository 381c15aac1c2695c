#include "fakeport.h"

#include <utility>

namespace vq::test {

void FakePort::openDevice(int port, const LineSettings& settings)
{
    if (auto it = m_openFailures.constFind(port); it != m_openFailures.constEnd())
        throw *it;
    events << QStringLiteral("open %1 %2").arg(port).arg(settings.toString());
}

void FakePort::applyDeviceSettings(const LineSettings& settings)
{
    events << QStringLiteral("apply %1").arg(settings.toString());
}

void FakePort::writeDevice(const QByteArray& bytes)
{
    if (const int number = std::exchange(m_writeFailure, 0))
        throw CommError(number, QStringLiteral("scripted failure %1").arg(number));
    m_log << bytes;
}

void FakePort::closeDevice(bool)
{
    events << QStringLiteral("close");
}

} // namespace vq::test
