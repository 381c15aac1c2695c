#pragma once

#include "serial/commport.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace vq::test {

// Records every whole write; opens and writes fail where a test scripts it.
class FakePort : public CommPortCore {
public:
    QList<QByteArray> writes;
    QStringList events; // "open 3", "close", "apply 19200,e,7,1"
    // Also records there, for checks that outlive the port (a main window closed meanwhile).
    QList<QByteArray>* log = nullptr;

    void failOpen(int port, const QString& description, int number = err::InvalidPortNumber)
    {
        m_openFailures.insert(port, CommError(number, description));
    }
    void failNextWrites(int number, int count = 1)
    {
        m_writeFailure = number;
        m_writeFailures = count;
    }
    void refuseSettings(const QString& description) { m_settingsRefusal = description; }
    void loseDevice() { markDeviceLost(); }
    QByteArray written() const;

protected:
    void openDevice(int port, const LineSettings& settings) override;
    void applyDeviceSettings(const LineSettings& settings) override;
    void writeDevice(const QByteArray& bytes) override;
    void closeDevice() override;

private:
    QHash<int, CommError> m_openFailures;
    int m_writeFailure = 0;
    int m_writeFailures = 0;
    QString m_settingsRefusal;
};

} // namespace vq::test
