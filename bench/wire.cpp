// Key to wire and command to wire, in process: the utility's windows and its real port on a
// pseudo-terminal, against a bare write() of the same bytes to the same pseudo-terminal. A
// reader thread stamps each byte the moment the master side has it, so work the windows do
// after the write is not counted.
//
// bench_wire [--rounds N] [--bursts N]; prints RESULT lines for scripts/bench.sh.

#include "stats.h"

#include "app/formall.h"
#include "demo/datasave.h"
#include "display/emulation.h"
#include "display/session.h"
#include "serial/portmap.h"
#include "serial/termiosport.h"
#include "shared/appcontext.h"
#include "shared/frame.h"
#include "ui/looks.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using vq::bench::Stats;
using vq::bench::stats;

using Nanos = std::int64_t;

Nanos now()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// A box during a run means it went wrong; a modal one would also stall it.
class NoBoxes : public vq::Boxes {
public:
    int ShowMessage(const QString& text, int, const QString&) override
    {
        fail(text);
        return 1;
    }
    QString ShowInput(const QString& prompt, const QString&, const QString&) override
    {
        fail(prompt);
        return {};
    }
    void standardOk(const QString& text, const QString&) override { fail(text); }
    bool standardYesNo(const QString& text, const QString&) override
    {
        fail(text);
        return false;
    }
    bool shown = false;

private:
    void fail(const QString& text)
    {
        std::fprintf(stderr, "bench_wire: unexpected box: %s\n", qPrintable(text));
        shown = true;
    }
};

// Drains the master side on its own thread and stamps every byte when it became readable.
class Reader {
public:
    Reader(int master, std::size_t capacity) : m_master(master), m_bytes(capacity), m_at(capacity)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~Reader()
    {
        m_stop = true;
        m_thread.join();
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Only between measurements, with every byte of the last one in.
    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_count = 0;
    }
    std::size_t count()
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }
    // Until n bytes are in; with pump, keeps the event loop turning meanwhile.
    bool waitFor(std::size_t n, bool pump)
    {
        const Nanos deadline = now() + 10'000'000'000LL;
        std::unique_lock lock(m_mutex);
        while (m_count < n) {
            if (now() > deadline)
                return false;
            if (pump) {
                lock.unlock();
                QCoreApplication::processEvents();
                lock.lock();
                m_arrived.wait_for(lock, std::chrono::milliseconds(1));
            } else {
                m_arrived.wait_for(lock, std::chrono::milliseconds(100));
            }
        }
        return true;
    }
    char byte(std::size_t i) const { return m_bytes[i]; }
    Nanos at(std::size_t i) const { return m_at[i]; }
    QByteArray bytes(std::size_t n) const { return QByteArray(m_bytes.data(), qsizetype(n)); }

private:
    void run()
    {
        while (!m_stop) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0)
                continue;
            const Nanos t = now();
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            {
                std::lock_guard lock(m_mutex);
                for (ssize_t i = 0; i < n && m_count < m_bytes.size(); ++i, ++m_count) {
                    m_bytes[m_count] = buffer[i];
                    m_at[m_count] = t;
                }
            }
            m_arrived.notify_all();
        }
    }

    int m_master;
    std::vector<char> m_bytes;
    std::vector<Nanos> m_at;
    std::size_t m_count = 0;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

bool writeAll(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size) == ssize_t(size);
}

void report(const char* figure, const std::vector<double>& utility, const std::vector<double>& bare)
{
    const Stats u = stats(utility), b = stats(bare);
    std::printf("RESULT\t%s\tus\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%zu\n", figure, u.median,
                u.min, u.max, b.median, b.min, b.max, utility.size());
    std::fflush(stdout);
}

double micros(Nanos from, Nanos to)
{
    return double(to - from) / 1e3;
}

constexpr int kBurst = 1000;
const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

} // namespace

int main(int argc, char** argv)
{
    int rounds = 500;
    int bursts = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray a = argv[i];
        if (a == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--bursts")
            bursts = std::max(1, std::atoi(argv[i + 1]));
    }
    const int warmUp = std::max(5, rounds / 10);

    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("bench_wire: openpty");
        return 1;
    }
    vq::PortMap map;
    map.devices.insert(1, QByteArray(::ttyname(slave)));
    for (int n = 2; n <= 6; ++n)
        map.devices.insert(n, "/nonexistent/vq3360-bench/port" + QByteArray::number(n));

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    vq::installFontSubstitutes();
    vq::Module1 state;
    vq::DisplaySession session;
    NoBoxes boxes;
    vq::AppContext ctx(state, session, boxes, vq::systemPortFactory(map),
                       [](vq::AppContext& c) { return new vq::Formall(c); });
    ctx.setEndHandler([] {});
    auto* w = static_cast<vq::Formall*>(ctx.showMainWindow());
    w->Command1_Click(0);
    if (!w->Comm1().portOpen()) {
        std::fprintf(stderr, "bench_wire: port not open: %s\n", qPrintable(w->LastOpenError));
        return 1;
    }
    w->menuEntry("numedmo")->trigger();
    vq::DATASAVE* demo = ctx.window<vq::DATASAVE>();
    auto* keyin = demo ? demo->controls().find<QPlainTextEdit>("keyin") : nullptr;
    if (!keyin || !QTest::qWaitForWindowExposed(demo)) {
        std::fprintf(stderr, "bench_wire: the interactive demo did not show\n");
        return 1;
    }
    QAction* entry = w->menuEntry("NUMADM787");
    const QByteArray command = session.emulationCommand(vq::emulationRow("NUMADM787"));

    Reader reader(master, kBurst + 64);
    bool ok = true;
    auto check = [&](bool good, const char* what) {
        if (!good && ok)
            std::fprintf(stderr, "bench_wire: %s\n", what);
        ok = ok && good;
    };
    // Between measurements the windows repaint as they would between real key presses.
    auto settle = [&](std::size_t expected) {
        QCoreApplication::processEvents();
        check(reader.count() == expected, "more bytes arrived than were sent");
        reader.reset();
    };

    std::vector<double> key, keyBare, cmd, cmdBare;
    for (int i = 0; ok && i < warmUp + rounds; ++i) {
        const char c = kLetters[i % 26];
        const bool measured = i >= warmUp;
        // Alternating which goes first keeps a drift in the machine's load off one side.
        for (int side = 0; side < 2 && ok; ++side) {
            if ((side == 0) == (i % 2 == 0)) {
                const Nanos t0 = now();
                QTest::keyClick(keyin, c);
                check(reader.waitFor(1, false) && reader.byte(0) == c, "typed key lost");
                if (measured)
                    key.push_back(micros(t0, reader.at(0)));
                settle(1);
            } else {
                const Nanos t0 = now();
                check(writeAll(slave, &c, 1) && reader.waitFor(1, false), "bare byte lost");
                if (measured)
                    keyBare.push_back(micros(t0, reader.at(0)));
                settle(1);
            }
        }
        if (i % 50 == 49)
            keyin->clear();
        const std::size_t n = std::size_t(command.size());
        for (int side = 0; side < 2 && ok; ++side) {
            if ((side == 0) == (i % 2 == 0)) {
                const Nanos t0 = now();
                entry->trigger();
                check(reader.waitFor(n, false) && reader.bytes(n) == command, "command lost");
                if (measured)
                    cmd.push_back(micros(t0, reader.at(n - 1)));
                settle(n);
            } else {
                const Nanos t0 = now();
                check(writeAll(slave, command.constData(), n) && reader.waitFor(n, false),
                      "bare command lost");
                if (measured)
                    cmdBare.push_back(micros(t0, reader.at(n - 1)));
                settle(n);
            }
        }
    }

    std::vector<double> burst, burstBare;
    const QByteArray pattern = [] {
        QByteArray p;
        for (int i = 0; i < kBurst; ++i)
            p += kLetters[(i * 7) % (sizeof kLetters - 1)];
        return p;
    }();
    for (int i = 0; ok && i < 1 + bursts; ++i) {
        keyin->clear();
        QCoreApplication::processEvents();
        for (int side = 0; side < 2 && ok; ++side) {
            if ((side == 0) == (i % 2 == 0)) {
                const Nanos t0 = now();
                for (const char c : pattern)
                    QTest::keyClick(keyin, c);
                check(reader.waitFor(kBurst, true), "not every key of the burst arrived");
                check(reader.bytes(kBurst) == pattern, "the burst arrived out of order");
                if (i > 0)
                    burst.push_back(micros(t0, reader.at(kBurst - 1)) / kBurst);
                settle(kBurst);
            } else {
                const Nanos t0 = now();
                bool written = true;
                for (const char c : pattern)
                    written = writeAll(slave, &c, 1) && written;
                check(written && reader.waitFor(kBurst, true), "bare burst lost");
                check(reader.bytes(kBurst) == pattern, "bare burst out of order");
                if (i > 0)
                    burstBare.push_back(micros(t0, reader.at(kBurst - 1)) / kBurst);
                settle(kBurst);
            }
        }
    }
    check(!boxes.shown, "a box was shown");
    if (!ok)
        return 1;
    std::fprintf(stderr,
                 "bench_wire: %zu keys, %zu commands, %zu bursts of %d keys, all in order\n",
                 key.size(), cmd.size(), burst.size(), kBurst);
    std::printf("QT\t%s\n", qVersion());
    report("key", key, keyBare);
    report("command", cmd, cmdBare);
    report("burst", burst, burstBare);
    return 0;
}
