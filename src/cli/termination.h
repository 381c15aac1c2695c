#pragma once

#include <functional>
#include <memory>
#include <QObject>

class QSocketNotifier;

namespace vq::cli {

// SIGTERM, SIGINT and SIGHUP, caught so a program can put its devices back before it ends. With
// a callback they are taken from the handler to the event loop, where closing a port is safe;
// without one a program that waits in its own loops asks count() instead. One at a time per
// process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal = {});
    ~TerminationSignals() override;

    // How many have arrived, and the first of them.
    static int count();
    static int first();
    // Ends the process by that signal, as if it had not been caught, so a shell sees 128 + its
    // number and a script stops as it would on any other program.
    [[noreturn]] static void endBy(int signal);

private:
    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace vq::cli
