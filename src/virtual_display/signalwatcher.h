#pragma once

#include <QObject>

class QSocketNotifier;

namespace vq::vdisplay {

// Turns SIGINT and SIGTERM into a Qt signal, so shutdown runs in the event loop
// and not inside a signal handler.
class SignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vq::vdisplay
