#pragma once

#include <functional>
#include <memory>
#include <QObject>

class QSocketNotifier;

namespace vq {

// SIGTERM, SIGINT and SIGHUP, taken from the handler to the event loop, where closing the port
// the way "End" does is safe. One at a time per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    ~TerminationSignals() override;

private:
    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace vq
