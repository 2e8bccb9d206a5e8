// Times a program's first window on an X display: starts the program and
// prints three figures in microseconds: from its exec to the MapNotify of its
// first top-level window, from its exec to the first Damage event on that
// window (its first paint), and the CPU time all its threads had used by
// then (less sensitive to a busy machine than the other two). The program
// is then killed.
// Usage: x_watch [-v] [-t SECONDS] PROGRAM [ARGS...]
//   -v  also print every event seen, with its time, on standard error
//   -t  give up after SECONDS (default 20): exit status 1
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

long long MicrosSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

// Starts the program; returns once exec has happened (the close-on-exec pipe
// reads end-of-file), with `execAt` set to that moment. -1 if exec failed.
pid_t Start(char** argv, Clock::time_point& execAt) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        const int error = errno;
        (void)!write(pipeFds[1], &error, sizeof error);
        _exit(127);
    }
    close(pipeFds[1]);
    int error = 0;
    ssize_t got;
    do got = read(pipeFds[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    execAt = Clock::now();
    close(pipeFds[0]);
    if (child < 0 || got > 0) {
        std::fprintf(stderr, "x_watch: cannot start %s: %s\n", argv[0], std::strerror(error));
        return -1;
    }
    return child;
}

// CPU time of every thread of `pid` so far, from the scheduler's own count
// in nanoseconds (/proc/PID/task/TID/schedstat, first field).
long long CpuMicros(pid_t pid) {
    long long total = 0;
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream stat(task.path() / "schedstat");
        long long ns = 0;
        if (stat >> ns) total += ns;
    }
    return total / 1000;
}

}  // namespace

int main(int argc, char** argv) {
    bool verbose = false;
    int timeoutSeconds = 20;
    int opt;
    while ((opt = getopt(argc, argv, "+vt:")) != -1) {
        if (opt == 'v') verbose = true;
        else if (opt == 't') timeoutSeconds = std::atoi(optarg);
        else return 2;
    }
    if (optind >= argc) {
        std::fprintf(stderr, "usage: x_watch [-v] [-t SECONDS] PROGRAM [ARGS...]\n");
        return 2;
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_watch: cannot open display\n");
        return 2;
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "x_watch: the display has no DAMAGE extension\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    Clock::time_point execAt;
    const pid_t child = Start(argv + optind, execAt);
    if (child < 0) return 2;

    // Every top-level window the program creates is watched from its
    // creation on, before it can be mapped or painted.
    std::set<Window> created;
    Window mapped = None;
    long long mapUs = -1, damageUs = -1, cpuUs = -1;
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    while (damageUs < 0 && Clock::now() < deadline) {
        if (XPending(display) == 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 100);
            if (XPending(display) == 0) continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const long long now = MicrosSince(execAt);
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            const Window window = event.xcreatewindow.window;
            if (verbose)
                std::fprintf(stderr, "%9lld create 0x%lx %dx%d%s\n", now, window,
                             event.xcreatewindow.width, event.xcreatewindow.height,
                             event.xcreatewindow.override_redirect ? " override-redirect" : "");
            if (event.xcreatewindow.override_redirect) continue;
            created.insert(window);
            XDamageCreate(display, window, XDamageReportRawRectangles);
            XFlush(display);
        } else if (event.type == MapNotify && event.xmap.event == root) {
            if (verbose) std::fprintf(stderr, "%9lld map 0x%lx\n", now, event.xmap.window);
            if (mapped == None && created.count(event.xmap.window)) {
                mapped = event.xmap.window;
                mapUs = now;
            }
        } else if (event.type == damageEvent + XDamageNotify) {
            const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
            if (verbose)
                std::fprintf(stderr, "%9lld damage 0x%lx %dx%d+%d+%d\n", now, damage.drawable,
                             damage.area.width, damage.area.height, damage.area.x, damage.area.y);
            if (mapped != None && damage.drawable == mapped) {
                damageUs = now;
                cpuUs = CpuMicros(child);
            }
        }
    }

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (damageUs < 0) {
        std::fprintf(stderr, "x_watch: no %s within %d s\n", mapUs < 0 ? "window mapped" : "paint",
                     timeoutSeconds);
        return 1;
    }
    std::printf("%lld %lld %lld\n", mapUs, damageUs, cpuUs);
    return 0;
}
