#pragma once

#include "serial/commport.h"

#include <QList>
#include <utility>

namespace vq::test {

// Records every whole write in a log the test owns, so it outlives the port; the ports the test
// lists as missing fail to open, and a write fails where the test scripts it.
class FakePort : public CommPortCore {
public:
    FakePort(QList<QByteArray>& log, QList<int> missing) : m_log(log), m_missing(std::move(missing))
    {
    }
    void failNextWrite(int number) { m_writeFailure = number; }

protected:
    void openDevice(int port, const LineSettings&) override
    {
        if (m_missing.contains(port))
            throw CommError(err::InvalidPortNumber, QStringLiteral("Invalid port number"));
    }
    void applyDeviceSettings(const LineSettings&) override {}
    void writeDevice(const QByteArray& bytes) override
    {
        if (const int number = std::exchange(m_writeFailure, 0))
            throw CommError(number, QStringLiteral("scripted failure %1").arg(number));
        m_log << bytes;
    }
    void closeDevice(bool) override {}

private:
    QList<QByteArray>& m_log;
    QList<int> m_missing;
    int m_writeFailure = 0;
};

} // namespace vq::test
