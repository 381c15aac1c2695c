#pragma once

#include "serial/commport.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace vq::test {

// Records every whole write in a log the test owns, so it outlives the port; opens and writes
// fail where a test scripts it.
class FakePort : public CommPortCore {
public:
    explicit FakePort(QList<QByteArray>& log) : m_log(log) {}
    QStringList events; // "open 3 9600,n,8,1", "close", "apply 19200,e,7,1"

    void failOpen(int port, const QString& description, int number = err::InvalidPortNumber)
    {
        m_openFailures.insert(port, CommError(number, description));
    }
    void failNextWrite(int number) { m_writeFailure = number; }

protected:
    void openDevice(int port, const LineSettings& settings) override;
    void applyDeviceSettings(const LineSettings& settings) override;
    void writeDevice(const QByteArray& bytes) override;
    void closeDevice(bool drain) override;

private:
    QList<QByteArray>& m_log;
    QHash<int, CommError> m_openFailures;
    int m_writeFailure = 0;
};

} // namespace vq::test
