#pragma once

#include "serial/commport.h"
#include "serial/portmap.h"

#include <QSerialPort>

namespace vq {

// The port on a real device through QSerialPort. Opened write-only: the display never
// answers, and a pseudo-terminal opened for reading floods read errors.
class QtCommPort final : public CommPortCore {
public:
    explicit QtCommPort(PortMap map = {});
    ~QtCommPort() override;
    QtCommPort(const QtCommPort&) = delete;
    QtCommPort& operator=(const QtCommPort&) = delete;

protected:
    void openDevice(int port, const LineSettings& settings) override;
    void applyDeviceSettings(const LineSettings& settings) override;
    void writeDevice(const QByteArray& bytes) override;
    void closeDevice(bool drain) override;

private:
    void configure(const LineSettings& settings);
    bool deviceHolds(const LineSettings& settings) const;
    bool deviceFailed() const;
    void onError(QSerialPort::SerialPortError error);

    PortMap m_map;
    int m_port = 0;
    QString m_location;
    LineSettings m_applied;
    QSerialPort m_serial; // last: destroyed first, while what its handlers touch still exists
};

// Makes the application's port; each port number opens the device the map names.
PortFactory qtPortFactory(PortMap map);

} // namespace vq
