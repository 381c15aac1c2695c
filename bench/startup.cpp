// Start-up and memory of a program, seen from outside it. Start-up runs from just before the
// process is spawned to the first drawing the X server sees on a window of that process; the
// window is only drawn once shown, so a program that builds its window first (the utility
// probes its ports in the main window's constructor) is measured with that work done. Memory is
// the peak resident size once the window has been up for a while.
//
// bench_startup [--rounds N] [--settle-ms N] UTILITY MINIMAL
// UTILITY starts with COM1 and COM2 on pseudo-terminals and COM3 to COM6 on missing paths.

#include "stats.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <string>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

// DAMAGE by raw requests: the packages the project installs give xcb's headers but not
// xcb-damage's.
xcb_extension_t g_damage = {"DAMAGE", 0};
constexpr std::uint8_t kDamageQueryVersion = 0;
constexpr std::uint8_t kDamageCreate = 1;
constexpr std::uint8_t kReportNonEmpty = 3;

struct DamageQueryVersionRequest {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint32_t clientMajor = 1, clientMinor = 1;
};
static_assert(sizeof(DamageQueryVersionRequest) == 12);

struct DamageCreateRequest {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint32_t damage = 0, drawable = 0;
    std::uint8_t level = kReportNonEmpty, pad[3] = {};
};
static_assert(sizeof(DamageCreateRequest) == 16);

struct Shown {
    Nanos mapped = 0;
    Nanos painted = 0;
    int width = 0;
    int height = 0;
};

class XWatch {
public:
    XWatch() = default;
    ~XWatch()
    {
        if (m_c)
            xcb_disconnect(m_c);
    }
    XWatch(const XWatch&) = delete;
    XWatch& operator=(const XWatch&) = delete;

    bool connect(std::string& error);
    // Until a window of pid is first drawn on; false on timeout, lost X or a dead process.
    bool waitPainted(pid_t pid, Nanos deadline, Shown& shown);
    // Lets events pass until the deadline without looking at them.
    void idleUntil(Nanos deadline);

private:
    void watch(xcb_window_t window);
    pid_t ownerPid(xcb_window_t window);

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
    std::uint8_t m_damageEvent = 0;
    xcb_atom_t m_pidAtom = 0;
    std::map<xcb_window_t, pid_t> m_owners;
};

bool XWatch::connect(std::string& error)
{
    int screenNumber = 0;
    m_c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_c)) {
        error = "cannot connect to the X display (DISPLAY not set or not reachable)";
        return false;
    }
    ::fcntl(xcb_get_file_descriptor(m_c), F_SETFD, FD_CLOEXEC);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;

    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_c, &g_damage);
    if (!ext || !ext->present) {
        error = "the X server has no DAMAGE extension";
        return false;
    }
    m_damageEvent = ext->first_event;
    DamageQueryVersionRequest version;
    iovec parts[3] = {{}, {}, {&version, sizeof version}};
    const xcb_protocol_request_t request{1, &g_damage, kDamageQueryVersion, 0};
    xcb_generic_error_t* failure = nullptr;
    std::free(xcb_wait_for_reply(
        m_c, xcb_send_request(m_c, XCB_REQUEST_CHECKED, parts + 2, &request), &failure));
    if (failure) {
        std::free(failure);
        error = "DAMAGE refused its version query";
        return false;
    }

    const char name[] = "_NET_WM_PID";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, sizeof name - 1, name), nullptr);
    m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);

    // New top-level windows announce themselves here, before they are mapped or drawn.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* e = xcb_request_check(
            m_c, xcb_change_window_attributes_checked(m_c, m_root, XCB_CW_EVENT_MASK, &mask))) {
        std::free(e);
        error = "cannot watch the root window";
        return false;
    }
    return true;
}

void XWatch::watch(xcb_window_t window)
{
    DamageCreateRequest create;
    create.damage = xcb_generate_id(m_c);
    create.drawable = window;
    iovec parts[3] = {{}, {}, {&create, sizeof create}};
    const xcb_protocol_request_t request{1, &g_damage, kDamageCreate, 1};
    xcb_send_request(m_c, 0, parts + 2, &request);
    xcb_flush(m_c);
}

pid_t XWatch::ownerPid(xcb_window_t window)
{
    if (const auto it = m_owners.find(window); it != m_owners.end() && it->second != 0)
        return it->second;
    pid_t pid = 0;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        m_c, xcb_get_property(m_c, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        pid = pid_t(*static_cast<const std::uint32_t*>(xcb_get_property_value(reply)));
    std::free(reply);
    m_owners[window] = pid;
    return pid;
}

bool XWatch::waitPainted(pid_t pid, Nanos deadline, Shown& shown)
{
    m_owners.clear();
    for (;;) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(m_c)) {
            const Nanos t = now();
            const std::uint8_t type = ev->response_type & 0x7f;
            bool done = false;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(ev);
                if (e->parent == m_root)
                    watch(e->window);
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                if (!shown.mapped && ownerPid(e->window) == pid)
                    shown.mapped = t;
            } else if (type == m_damageEvent) {
                std::uint32_t drawable = 0;
                std::memcpy(&drawable, reinterpret_cast<const char*>(ev) + 4, sizeof drawable);
                if (ownerPid(drawable) == pid) {
                    shown.painted = t;
                    xcb_get_geometry_reply_t* g =
                        xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, drawable), nullptr);
                    if (g) {
                        shown.width = g->width;
                        shown.height = g->height;
                    }
                    std::free(g);
                    done = true;
                }
            }
            std::free(ev);
            if (done)
                return true;
        }
        if (xcb_connection_has_error(m_c))
            return false;
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return false;
        const Nanos left = deadline - now();
        if (left <= 0)
            return false;
        pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        ::poll(&fd, 1, int(std::min<Nanos>(left / 1'000'000 + 1, 100)));
    }
}

void XWatch::idleUntil(Nanos deadline)
{
    for (Nanos left; (left = deadline - now()) > 0;) {
        pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        ::poll(&fd, 1, int(left / 1'000'000 + 1));
        while (xcb_generic_event_t* ev = xcb_poll_for_event(m_c))
            std::free(ev);
    }
}

// Peak resident size so far, in KiB; 0 when it cannot be read.
long peakResidentKib(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return 0;
    long kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    }
    std::fclose(f);
    return kib;
}

void stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        ::usleep(10'000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

struct Sample {
    double startMs = 0;
    double mappedMs = 0;
    double peakMib = 0;
    int width = 0;
    int height = 0;
};

bool runOnce(XWatch& x, const std::vector<std::string>& argv, int settleMs, Sample& out)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    pid_t pid = 0;
    const Nanos t0 = now();
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", args[0],
                     std::strerror(spawned));
        return false;
    }
    Shown shown;
    if (!x.waitPainted(pid, t0 + 20'000'000'000LL, shown)) {
        std::fprintf(stderr, "bench_startup: %s showed no window\n", args[0]);
        stop(pid);
        return false;
    }
    x.idleUntil(shown.painted + Nanos(settleMs) * 1'000'000);
    const long kib = peakResidentKib(pid);
    stop(pid);
    out.startMs = double(shown.painted - t0) / 1e6;
    out.mappedMs = shown.mapped ? double(shown.mapped - t0) / 1e6 : 0;
    out.peakMib = double(kib) / 1024.0;
    out.width = shown.width;
    out.height = shown.height;
    return kib > 0;
}

void report(const char* figure, const char* unit, const std::vector<double>& utility,
            const std::vector<double>& minimal)
{
    const Stats u = stats(utility), m = stats(minimal);
    std::printf("RESULT\t%s\t%s\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%zu\n", figure, unit, u.median,
                u.min, u.max, m.median, m.min, m.max, utility.size());
}

// Keeps a pseudo-terminal for the utility to probe; the slave stays open so the path lives.
std::string makePty()
{
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    return ::ttyname(slave);
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 15;
    int settleMs = 300;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (a == "--settle-ms" && i + 1 < argc)
            settleMs = std::atoi(argv[++i]);
        else
            programs.push_back(a);
    }
    if (programs.size() != 2 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_startup [--rounds N] [--settle-ms N] UTILITY MINIMAL\n");
        return 2;
    }

    XWatch x;
    std::string error;
    if (!x.connect(error)) {
        std::fprintf(stderr, "bench_startup: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::string> utility{programs[0]};
    for (int n = 1; n <= 2; ++n) {
        const std::string pty = makePty();
        if (pty.empty()) {
            std::fprintf(stderr, "bench_startup: openpty failed\n");
            return 1;
        }
        utility.insert(utility.end(), {"--com", std::to_string(n) + "=" + pty});
    }
    for (int n = 3; n <= 6; ++n)
        utility.insert(
            utility.end(),
            {"--com", std::to_string(n) + "=/nonexistent/vq3360-bench/port" + std::to_string(n)});
    const std::vector<std::string> minimal{programs[1]};

    // Warm-up rounds fill the page cache and the font caches for both alike.
    Sample s;
    for (int i = 0; i < 2; ++i) {
        if (!runOnce(x, utility, settleMs, s) || !runOnce(x, minimal, settleMs, s))
            return 1;
    }
    std::vector<double> uStart, uMapped, uPeak, mStart, mMapped, mPeak;
    Sample u, m;
    for (int i = 0; i < rounds; ++i) {
        // Alternating which goes first keeps a drift in the machine's load off one side.
        const bool utilityFirst = i % 2 == 0;
        if (!runOnce(x, utilityFirst ? utility : minimal, settleMs, utilityFirst ? u : m) ||
            !runOnce(x, utilityFirst ? minimal : utility, settleMs, utilityFirst ? m : u))
            return 1;
        uStart.push_back(u.startMs);
        uMapped.push_back(u.mappedMs);
        uPeak.push_back(u.peakMib);
        mStart.push_back(m.startMs);
        mMapped.push_back(m.mappedMs);
        mPeak.push_back(m.peakMib);
    }
    std::fprintf(stderr, "bench_startup: window %dx%d (utility) and %dx%d (minimal)\n", u.width,
                 u.height, m.width, m.height);
    std::fprintf(stderr, "bench_startup: mapped at %.1f ms (utility) and %.1f ms (minimal)\n",
                 stats(uMapped).median, stats(mMapped).median);
    report("startup", "ms", uStart, mStart);
    report("memory", "MiB", uPeak, mPeak);
    return 0;
}
