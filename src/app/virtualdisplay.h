#pragma once

#include <memory>
#include <QByteArray>
#include <QList>
#include <QString>

class QProcess;

namespace vq {

// vq3360-virtual-display with its window, started for the utility to use as COM1 and ended
// with it.
class VirtualDisplayProcess {
public:
    VirtualDisplayProcess();
    ~VirtualDisplayProcess();
    VirtualDisplayProcess(const VirtualDisplayProcess&) = delete;
    VirtualDisplayProcess& operator=(const VirtualDisplayProcess&) = delete;

    // Starts the one beside this program, else the one on the PATH, with the window system's
    // options; waits for the device it prints. Empty with `error` set when it did not come up.
    QByteArray start(const QList<QByteArray>& qtArgs, QString* error);

private:
    std::unique_ptr<QProcess> m_process;
};

} // namespace vq
