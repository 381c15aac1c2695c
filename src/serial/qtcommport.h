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

    const PortMap& portMap() const { return m_map; }

protected:
    void openDevice(int port, const LineSettings& settings) override;
    void applyDeviceSettings(const LineSettings& settings) override;
    void writeDevice(const QByteArray& bytes) override;
    void closeDevice() override;

private:
    void configure(const LineSettings& settings);
    bool deviceHolds(const LineSettings& settings) const;
    void drop();
    void onError(QSerialPort::SerialPortError error);

    PortMap m_map;
    int m_port = 0;
    QString m_location;
    LineSettings m_applied;
    bool m_inCall = false; // errors inside our own calls are read from return values
    bool m_failed = false; // the device reported a resource or write error
    bool m_dropQueued = false;
    QSerialPort m_serial; // last: destroyed first, while the flags it touches still exist
};

// Makes the application's port; each port number opens the device the map names.
PortFactory qtPortFactory(PortMap map);

} // namespace vq
