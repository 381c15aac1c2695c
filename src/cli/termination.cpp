#include "cli/termination.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <QSocketNotifier>
#include <unistd.h>

namespace vq::cli {

namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_count = 0;
volatile sig_atomic_t g_first = 0;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signal)
{
    const int saved = errno;
    if (g_count == 0)
        g_first = signal;
    g_count = g_count + 1;
    if (g_pipe[1] >= 0) {
        const char number = char(signal);
        [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &number, 1);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal_)
    : m_onSignal(std::move(onSignal_))
{
    g_count = 0;
    g_first = 0;
    if (m_onSignal && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            char number = 0;
            while (::read(g_pipe[0], &number, 1) == 1)
                m_onSignal(number);
        });
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    // No restart: a call that waits (an open, a read, a drain) must end with the signal, not
    // go on waiting after it.
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
    m_notifier.reset();
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

int TerminationSignals::count()
{
    return g_count;
}

int TerminationSignals::first()
{
    return g_first;
}

void TerminationSignals::endBy(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

} // namespace vq::cli
