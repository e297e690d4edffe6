// What one wheel click costs, from the moment it is asked for to the moment
// the ButtonPress reaches an X client that listens for it:
//   - the engine's in-process path (send_input, InputKind::kButtonClick, over XTEST);
//   - a subprocess through the shell, as a command line would do it:
//     xte 'mouseclick 5' and xdotool click 5.
// Also what one keysym-table build and one 3-key chord cost.
//
//   actions_wheel_click_bench [CLICKS]     (needs DISPLAY; default 300)
#include <X11/Xlib.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "x_input.h"

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> arrivals{0};
std::atomic<int64_t> last_arrival_ns{0};

int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// A client with a window under the pointer that notes each ButtonPress.
void *listener(void *arg)
{
    Display *d = static_cast<Display *>(arg);
    for (;;) {
        XEvent ev;
        XNextEvent(d, &ev);
        if (ev.type == ButtonPress) {
            last_arrival_ns.store(now_ns());
            arrivals.fetch_add(1);
        }
    }
    return nullptr;
}

bool wait_arrival(int64_t before, int64_t *at)
{
    const int64_t limit = now_ns() + 2000000000LL;
    while (arrivals.load() == before) {
        if (now_ns() > limit)
            return false;
        sched_yield();
    }
    *at = last_arrival_ns.load();
    return true;
}

struct Figures {
    double p50, p99, mean;
};

Figures figures(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)], sum / v.size()};
}

void print(const char *label, const Figures &f)
{
    printf("  %-34s p50 %7.3f ms   p99 %7.3f ms   mean %7.3f ms\n", label, f.p50, f.p99, f.mean);
}

std::vector<double> in_process(Display *sender, int clicks)
{
    std::vector<double> ms;
    for (int i = 0; i < clicks; ++i) {
        const int64_t before = arrivals.load();
        const int64_t t0 = now_ns();
        send_input(sender, nullptr, 5, InputKind::kButtonClick);
        int64_t at = 0;
        if (wait_arrival(before, &at))
            ms.push_back((at - t0) / 1e6);
    }
    return ms;
}

std::vector<double> subprocess(const char *command, int clicks)
{
    std::vector<double> ms;
    char sh[] = "sh", c[] = "-c";
    for (int i = 0; i < clicks; ++i) {
        char *argv[] = {sh, c, const_cast<char *>(command), nullptr};
        const int64_t before = arrivals.load();
        const int64_t t0 = now_ns();
        pid_t pid;
        if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0)
            return ms;
        int64_t at = 0;
        const bool ok = wait_arrival(before, &at);
        waitpid(pid, nullptr, 0);
        if (ok)
            ms.push_back((at - t0) / 1e6);
        else if (i == 0)
            return ms;  // the tool is missing
    }
    return ms;
}

}  // namespace

int main(int argc, char **argv)
{
    const int clicks = argc > 1 ? atoi(argv[1]) : 300;
    XInitThreads();
    install_x_error_handler();
    Display *listen = XOpenDisplay(nullptr);
    Display *sender = XOpenDisplay(nullptr);
    if (!listen || !sender) {
        fprintf(stderr, "Can't open display.\n");
        return 1;
    }
    Window w = XCreateSimpleWindow(listen, DefaultRootWindow(listen), 0, 0, 300, 300, 0, 0, 0);
    XSelectInput(listen, w, ButtonPressMask | ButtonReleaseMask);
    XMapRaised(listen, w);
    XSync(listen, False);
    XWarpPointer(sender, None, w, 0, 0, 0, 0, 150, 150);
    XSync(sender, False);
    pthread_t t;
    pthread_create(&t, nullptr, listener, listen);

    const int64_t b0 = now_ns();
    build_keysym_table(sender);
    const double build_ms = (now_ns() - b0) / 1e6;

    in_process(sender, 20);  // warm-up
    const Figures xtest = figures(in_process(sender, clicks));
    printf("One wheel click, request to ButtonPress at a listening client (%d clicks each):\n", clicks);
    print("engine, in-process XTEST", xtest);

    struct Tool {
        const char *label;
        const char *command;
    } tools[] = {{"xte 'mouseclick 5' via sh -c", "xte 'mouseclick 5'"},
                 {"xdotool click 5 via sh -c", "xdotool click 5"}};
    for (const Tool &tool : tools) {
        std::vector<double> v = subprocess(tool.command, clicks);
        if (v.empty()) {
            printf("  %-34s (not available)\n", tool.label);
            continue;
        }
        const Figures f = figures(v);
        print(tool.label, f);
        printf("  %-34s the in-process path is %.1f times faster (p50)\n", "", f.p50 / xtest.p50);
    }
    printf("Keysym table build (once per engine start): %.3f ms\n", build_ms);
    return 0;
}
