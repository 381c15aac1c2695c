// A whole vq3360ctl run against the line time of its bytes: the tool on one and on three
// pseudo-terminals, each read by a thread as a display would, against a bare write() of the
// same bytes and tcdrain() on the same pseudo-terminals.
//
// bench_ctl PROGRAM [--rounds N]; prints RESULT lines for scripts/bench.sh, per display.

#include "stats.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using vq::bench::Stats;
using vq::bench::stats;

double nowMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A display on a pseudo-terminal: takes whatever arrives, at once.
class Display {
public:
    Display()
    {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[256] = {};
        ::openpty(&m_master, &m_slave, name, &raw, nullptr);
        m_path = name;
        m_reader = std::thread([this] {
            char buffer[4096];
            while (!m_stop) {
                pollfd p{m_master, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0 && ::read(m_master, buffer, sizeof buffer) > 0)
                    continue;
            }
        });
    }
    ~Display()
    {
        m_stop = true;
        m_reader.join();
        ::close(m_master);
        ::close(m_slave);
    }
    const std::string& path() const { return m_path; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::atomic<bool> m_stop = false;
    std::thread m_reader;
};

// The bytes of: emulation adm787, upper TEXT, show.
std::string commandBytes(const std::string& text)
{
    return std::string("\x02\x05\x43\x33\x03", 5) + "\x02\x05L1" + text + "\x03" +
           std::string("\x02\x05\x44\x08\x03", 5);
}

double bareRun(const std::vector<Display*>& displays, const std::string& bytes)
{
    const double start = nowMs();
    for (const Display* d : displays) {
        const int fd = ::open(d->path().c_str(), O_WRONLY | O_NOCTTY);
        if (::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            std::fprintf(stderr, "bench_ctl: short write\n");
        ::tcdrain(fd);
        ::close(fd);
    }
    return nowMs() - start;
}

double toolRun(const char* program, const std::vector<Display*>& displays, const std::string& text)
{
    std::vector<std::string> args{program};
    for (const Display* d : displays) {
        args.push_back("--device");
        args.push_back(d->path());
    }
    for (const char* a : {"emulation", "adm787", "upper"})
        args.emplace_back(a);
    args.push_back(text);
    args.emplace_back("show");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const double start = nowMs();
    pid_t pid = 0;
    if (::posix_spawn(&pid, program, &quiet, nullptr, argv.data(), environ) != 0) {
        std::perror("bench_ctl: spawn");
        std::exit(1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double took = nowMs() - start;
    ::posix_spawn_file_actions_destroy(&quiet);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_ctl: the tool failed\n");
        std::exit(1);
    }
    return took;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_ctl PROGRAM [--rounds N]\n");
        return 2;
    }
    int rounds = 31;
    if (argc >= 4 && std::string(argv[2]) == "--rounds")
        rounds = std::atoi(argv[3]);
    const std::string text(200, 'W');
    const std::string bytes = commandBytes(text);
    Display displays[3];
    for (const std::size_t count : {std::size_t(1), std::size_t(3)}) {
        std::vector<Display*> used;
        for (std::size_t i = 0; i < count; ++i)
            used.push_back(&displays[i]);
        std::vector<double> tool, bare;
        // Alternating, so load on the machine falls on both alike.
        for (int r = 0; r < rounds; ++r) {
            bare.push_back(bareRun(used, bytes));
            tool.push_back(toolRun(argv[1], used, text));
        }
        // Per display, so one and three displays compare directly; three decimals keep the
        // bare run's fraction of a millisecond.
        const double n = double(count);
        const Stats t = stats(tool), b = stats(bare);
        // The line time of one display at the tool's default 9600 baud, ten bits a byte.
        const double line = bytes.size() * 10 * 1000.0 / 9600;
        std::printf("RESULT\tctl%zu\tms\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%d\t%.3f\n", count,
                    t.median / n, t.min / n, t.max / n, b.median / n, b.min / n, b.max / n, rounds,
                    line);
        std::fflush(stdout);
    }
    return 0;
}
