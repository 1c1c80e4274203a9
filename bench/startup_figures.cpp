#include "startup_figures.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_stock.h"
#include "store/engine.h"
#include "temp_database.h"

namespace zanfiro {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kWidth = 885, kHeight = 519;  // the program's window, which the empty one copies

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "startup figures: %s\n", why.c_str());
    std::exit(1);
}

// An X server of our own, on a display number it picks among the free ones.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0) die("no pipe");
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDERR_FILENO);
            execlp("Xvfb",
                   "Xvfb",
                   "-displayfd",
                   fd.c_str(),
                   "-screen",
                   "0",
                   "1280x1024x24",
                   "-nolisten",
                   "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buffer[32] = {};
        const ssize_t got = read(fds[0], buffer, sizeof buffer - 1);
        close(fds[0]);
        if (got <= 0) die("Xvfb did not start (apt-get install xvfb)");
        char name[16];
        std::snprintf(name, sizeof name, ":%d", std::atoi(buffer));
        display_ = name;
    }
    ~Xvfb() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

struct Sample {
    double ms;
    double cpuMs;
    double peakMiB;
};

// The time the process's threads have run on a CPU so far, in ms: unlike
// the time since exec, it does not grow when other work on a shared
// machine holds the CPU.
double cpuMsOf(pid_t pid) {
    double ns = 0;
    std::error_code ignored;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        std::FILE* f = std::fopen((task.path() / "schedstat").c_str(), "r");
        if (!f) continue;
        unsigned long long onCpu = 0;
        if (std::fscanf(f, "%llu", &onCpu) == 1) ns += static_cast<double>(onCpu);
        std::fclose(f);
    }
    return ns / 1e6;
}

// Watches the screen's top-level windows being mapped.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_)) die("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_request_check(connection_,
                          xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    // The moment a top-level window of the program's size is mapped; an
    // error box or a program that ends first is a failure.
    Clock::time_point waitForMainWindow(pid_t child) {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const auto at = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                std::free(event);
                if (mapped && isMainWindow(window)) return at;
            }
            if (waitpid(child, nullptr, WNOHANG) == child) die("the program ended before its window showed");
            pollfd watch{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&watch, 1, 100);
        }
        die("no window within 20 s");
    }

    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
    }

private:
    bool isMainWindow(xcb_window_t window) {
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        const bool main = g && g->width == kWidth && g->height == kHeight;
        std::free(g);
        return main;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

struct Subject {
    const char* name;
    std::string program;
    std::string argument;  // empty: none
    fs::path home;
    const char* target;
    std::vector<Sample> samples;
};

// One start: exec with the same small environment for every subject, the
// time until its window is mapped, a moment for the first paint, then its
// end and its peak resident memory as the kernel counted it.
Sample launch(const Subject& subject, const std::string& display, const fs::path& runtime, MapWatcher& watcher) {
    std::vector<std::string> env = {"HOME=" + subject.home.string(),
                                    "DISPLAY=" + display,
                                    "XDG_RUNTIME_DIR=" + runtime.string(),
                                    "QT_QPA_PLATFORM=xcb",
                                    "DBUS_SESSION_BUS_ADDRESS=unix:path=/none",
                                    "LANG=C.UTF-8",
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = subject.program, argument = subject.argument;
    char* argv[] = {program.data(), argument.empty() ? nullptr : argument.data(), nullptr};

    watcher.drain();
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execve(argv[0], argv, envp.data());
        _exit(127);
    }
    const auto mapped = watcher.waitForMainWindow(child);
    const double cpuMs = cpuMsOf(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {std::chrono::duration<double, std::milli>(mapped - start).count(), cpuMs, usage.ru_maxrss / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

fs::path homeWithGears(const fs::path& home, int count) {
    store::createDatabase(home / "NDB" / "DB.mdb");
    seedBenchStock(home / "NDB" / "DB.mdb", count);
    return home;
}

}  // namespace

int printStartupFigures(int runs) {
    const testing::TempDatabase scratch(testing::TempDatabase::Content::NoFile);
    const fs::path runtime = scratch.folder() / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const fs::path none = homeWithGears(scratch.folder() / "none", 0);
    // The first is the floor of the ratios; the one with a label shows what
    // any window that draws text pays for its fonts.
    std::vector<Subject> subjects = {
        {"empty Qt window", ZANFIRO_EMPTY_WINDOW, "", none, "", {}},
        {"Qt window with a label", ZANFIRO_EMPTY_WINDOW, "--label", none, "", {}},
        {"zanfiro, 0 gears", ZANFIRO_PROGRAM, "", none, "<= 1.15", {}},
        {"zanfiro, 30,000 gears",
         ZANFIRO_PROGRAM,
         "",
         homeWithGears(scratch.folder() / "many", 30000),
         "<= 1.5, +MiB <= 10",
         {}},
    };

    const Xvfb xvfb;
    MapWatcher watcher(xvfb.display());
    for (const Subject& s : subjects) launch(s, xvfb.display(), runtime, watcher);  // warms the file cache
    // In turns, each subject taking every place of the turn in rotation.
    for (int run = 0; run < runs; ++run)
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            Subject& s = subjects[(run + i) % subjects.size()];
            s.samples.push_back(launch(s, xvfb.display(), runtime, watcher));
        }

    std::printf("\nwhole program under Xvfb, from exec to its window mapped; medians of %d runs in turns\n", runs);
    std::printf("%-24s %9s %7s %9s %7s %10s %7s   %s\n",
                "",
                "start ms",
                "ratio",
                "CPU ms",
                "ratio",
                "peak MiB",
                "+MiB",
                "target (start ratio, +MiB)");
    double emptyMs = 0, emptyCpu = 0, emptyMiB = 0;
    for (const Subject& s : subjects) {
        std::vector<double> ms, cpu, mib;
        for (const Sample& sample : s.samples)
            ms.push_back(sample.ms), cpu.push_back(sample.cpuMs), mib.push_back(sample.peakMiB);
        const double m = median(ms), c = median(cpu), peak = median(mib);
        if (emptyMs == 0) emptyMs = m, emptyCpu = c, emptyMiB = peak;
        std::printf("%-24s %9.1f %7.2f %9.1f %7.2f %10.1f %7.1f   %s\n",
                    s.name,
                    m,
                    m / emptyMs,
                    c,
                    c / emptyCpu,
                    peak,
                    peak - emptyMiB,
                    s.target);
    }
    return 0;
}

}  // namespace zanfiro
