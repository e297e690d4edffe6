// Latency bench: how long a scroll step takes from the touchpad block to the
// X server, and what one wheel click costs as a subprocess against the
// engine's in-process XTEST path.
//
//   latency_bench [--gestures N] [--steps-per-gesture N] [--clicks N]
//
// Runs as root: it takes a private IPC namespace (a touchpad block of its
// own), starts a private Xvfb and the gestured built beside it, and records
// with the RECORD extension in this process, so the block write and the
// arrival of the ButtonPress are read from one clock (CLOCK_MONOTONIC).
// Prints figures; there is no pass or fail.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "block_defaults.h"
#include "finger_trace.h"
#include "platform.h"
#include "record_session.h"
#include "touchpad_block.h"
#include "x_input.h"
#include "xvfb_launch.h"

extern char **environ;

namespace {

constexpr int kMaxSamples = 4096;
constexpr int kMaxEvents = 256;

// Recorded events not yet looked at.
RecordedEvent pending[kMaxEvents];
int pending_count = 0;

void on_event(const RecordedEvent &e, void *)
{
    if (pending_count < kMaxEvents)
        pending[pending_count++] = e;
}

RecordSession session;
volatile pid_t xvfb_pid = -1, engine_pid = -1;
TouchpadSharedBlock *block = nullptr;

void stop_children()
{
    if (engine_pid > 0) {
        kill(engine_pid, SIGTERM);
        waitpid(engine_pid, nullptr, 0);
        engine_pid = -1;
    }
    if (session.control)
        record_close(&session);
    if (xvfb_pid > 0) {
        kill(xvfb_pid, SIGTERM);
        waitpid(xvfb_pid, nullptr, 0);
        xvfb_pid = -1;
    }
}

[[noreturn]] void die(const char *why)
{
    fprintf(stderr, "latency_bench: %s\n", why);
    stop_children();
    exit(1);
}

// Waits for a recorded event of this type and detail; returns its arrival
// time, or -1 after timeout_ms. Earlier events are dropped.
int64_t wait_event(int type, int detail, int timeout_ms)
{
    const int64_t deadline = monotonic_us() + int64_t{timeout_ms} * 1000;
    for (;;) {
        for (int i = 0; i < pending_count; ++i) {
            if (pending[i].type == type && pending[i].detail == detail) {
                int64_t t = pending[i].arrival_us;
                memmove(pending, pending + i + 1, sizeof pending[0] * (pending_count - i - 1));
                pending_count -= i + 1;
                return t;
            }
        }
        pending_count = 0;
        const int64_t left = deadline - monotonic_us();
        if (left <= 0)
            return -1;
        if (!record_poll(&session, static_cast<int>(std::min<int64_t>(left / 1000 + 1, 5))))
            die("lost the X connection");
    }
}

void drain(int quiet_ms)
{
    int64_t until = monotonic_us() + int64_t{quiet_ms} * 1000;
    while (monotonic_us() < until)
        record_poll(&session, 1);
    pending_count = 0;
}

void sleep_ms(int ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

std::string dir_of_self()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    path[n] = 0;
    std::string s(path);
    return s.substr(0, s.rfind('/'));
}

std::string start_xvfb()
{
    pid_t pid = -1;
    std::string display = launch_xvfb(&pid);
    xvfb_pid = pid;
    if (display.empty())
        die("Xvfb did not start");
    return display;
}

void create_block()
{
    int id = shmget(kTouchpadShmKey, kTouchpadShmSize, IPC_CREAT | 0666);
    if (id < 0)
        die("cannot create the touchpad block");
    void *mem = shmat(id, nullptr, 0);
    if (mem == reinterpret_cast<void *>(-1))
        die("cannot attach the touchpad block");
    fill_default_block(mem);
    block = static_cast<TouchpadSharedBlock *>(mem);
    block->TapButton3 = 1;  // back to 0 once gestured has run its start-up commands
}

void start_engine(const std::string &bin)
{
    std::string path = bin + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    setenv("PATH", path.c_str(), 1);
    std::string exe = bin + "/gestured";
    engine_pid = fork();
    if (engine_pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execl(exe.c_str(), "gestured", static_cast<char *>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 2000 && block->TapButton3 != 0; ++i)
        sleep_ms(5);
    if (block->TapButton3 != 0)
        die("gestured did not run its start-up commands");
}

// Two fingers side by side at height y, in the monitor's column order.
FingerState two_fingers(int y)
{
    //       x  y  z   w  f  l  r  u  d  m  multi x2_1 y2_1 x2_2 y2_2 x3_1 y3_1
    return {0, 0, 40, 4, 2, 0, 0, 0, 0, 0, {}, 100, y, 300, y, 0, 0};
}

void write_state(const FingerState &s)
{
    write_finger_state(block, &TouchpadSharedBlock::NewStructFingers, s);
}

void lift()
{
    FingerState s{};
    write_state(s);
}

// The engine answers a two-finger tap with a right click once all its
// threads are at work.
void wait_for_engine()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        write_state(two_fingers(150));
        sleep_ms(20);
        lift();
        if (wait_event(ButtonRelease, 3, 200) >= 0) {
            drain(200);
            return;
        }
    }
    die("gestured does not answer a two-finger tap");
}

struct Stats {
    double v[kMaxSamples];
    int n = 0;
    void add(double ms)
    {
        if (n < kMaxSamples)
            v[n++] = ms;
    }
    double pct(double p)
    {
        std::sort(v, v + n);
        int i = static_cast<int>(p * n + 0.999999) - 1;
        return v[std::clamp(i, 0, n - 1)];
    }
    void print(const char *label)
    {
        if (n == 0) {
            printf("  %-50s no samples\n", label);
            return;
        }
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += v[i];
        printf("  %-50s n=%-4d p50 %6.2f ms   p99 %6.2f ms   mean %6.2f ms   max %6.2f ms\n", label, n,
               pct(0.50), pct(0.99), sum / n, pct(1.0));
    }
};

int missed = 0;

// The floor for comparison: a bare loop that polls the block the way the
// engine's sampler does (1 ms after a change, 2 ms otherwise) and clicks the
// wheel through XTEST whenever the two-finger y grows; no recogniser, no
// queue, no threads in between.
std::atomic<bool> bare_loop_running{false};

void bare_loop(Display *display)
{
    FingerRecord last{};
    while (bare_loop_running.load()) {
        FingerRecord now;
        memcpy(&now, const_cast<const FingerRecord *>(&block->NewStructFingers), sizeof now);
        bool changed = memcmp(&now, &last, sizeof now) != 0;
        if (changed && now.f == 2 && last.f == 2 && now.y2_1 > last.y2_1)
            send_input(display, nullptr, 5, InputKind::kButtonClick);
        last = now;
        sleep_ms(changed ? 1 : 2);
    }
}

// One gesture: the first sample starts the two-finger phase, every later one
// moves 10 down, which is one scroll step (ScrollingSpeedSlider 8).
void scroll_gesture(int steps, Stats *first, Stats *steady)
{
    int y = 150;
    write_state(two_fingers(y));
    sleep_ms(12);
    for (int i = 0; i < steps; ++i) {
        y += 10;
        write_state(two_fingers(y));
        const int64_t written = monotonic_us();
        const int64_t arrived = wait_event(ButtonPress, 5, 1000);
        if (arrived < 0) {
            ++missed;
        } else {
            (i == 0 ? first : steady)->add(static_cast<double>(arrived - written) / 1000.0);
            wait_event(ButtonRelease, 5, 1000);
        }
        sleep_ms(12);  // about the report rate of a pad
    }
    // Rest, so the next gesture does not start from this one's movement,
    // then lift after the auto-scroll window and let the pointer reset.
    FingerState rest = two_fingers(y);
    rest.w = 5;
    write_state(rest);
    sleep_ms(250);
    lift();
    drain(150);
}

// One wheel click sent by a program of its own: spawn to arrival.
double subprocess_click(char *const argv[])
{
    pid_t pid;
    const int64_t start = monotonic_us();
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return -1;
    const int64_t arrived = wait_event(ButtonPress, 5, 2000);
    waitpid(pid, nullptr, 0);
    wait_event(ButtonRelease, 5, 500);
    return arrived < 0 ? -1 : static_cast<double>(arrived - start) / 1000.0;
}

// The engine's own path: send_input with InputKind::kButtonClick over a display
// connection of this process (press, release, flush).
double xtest_click(Display *display)
{
    const int64_t start = monotonic_us();
    send_input(display, nullptr, 5, InputKind::kButtonClick);
    const int64_t arrived = wait_event(ButtonPress, 5, 2000);
    wait_event(ButtonRelease, 5, 500);
    return arrived < 0 ? -1 : static_cast<double>(arrived - start) / 1000.0;
}

int arg_int(int argc, char **argv, const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], name) == 0)
            return atoi(argv[i + 1]);
    return fallback;
}

}  // namespace

int main(int argc, char **argv)
{
    const int gestures = arg_int(argc, argv, "--gestures", 10);
    const int steps = arg_int(argc, argv, "--steps-per-gesture", 25);
    const int clicks = arg_int(argc, argv, "--clicks", 60);

    if (unshare(CLONE_NEWIPC) != 0)
        die("needs root: cannot take a private IPC namespace (unshare)");
    // Interrupted: end the engine and the X server (kill only, which is safe
    // in a signal handler) and leave.
    auto on_signal = [](int sig) {
        if (engine_pid > 0)
            kill(engine_pid, SIGTERM);
        if (xvfb_pid > 0)
            kill(xvfb_pid, SIGTERM);
        _exit(128 + sig);
    };
    signal(SIGINT, on_signal);
    signal(SIGTERM, on_signal);

    const std::string display = start_xvfb();
    setenv("DISPLAY", display.c_str(), 1);
    create_block();
    char err[160];
    if (!record_open(&session, display.c_str(), nullptr, on_event, nullptr, err, sizeof err))
        die(err);
    start_engine(dir_of_self());
    wait_for_engine();

    Stats first, steady;
    for (int g = 0; g < gestures; ++g)
        scroll_gesture(steps, &first, &steady);

    // The same gestures with the engine stopped and the bare loop clicking.
    kill(engine_pid, SIGTERM);
    waitpid(engine_pid, nullptr, 0);
    engine_pid = -1;
    drain(300);
    Display *own = XOpenDisplay(display.c_str());
    if (!own)
        die("cannot open the display for the XTEST path");
    Stats bare_first, bare_steady;
    bare_loop_running = true;
    std::thread loop(bare_loop, own);
    for (int g = 0; g < gestures; ++g)
        scroll_gesture(steps, &bare_first, &bare_steady);
    bare_loop_running = false;
    loop.join();

    Stats by_xte, by_xdotool, by_xtest;
    char xte[] = "xte", xte_arg[] = "mouseclick 5";
    char xdotool[] = "xdotool", click[] = "click", five[] = "5";
    char *xte_argv[] = {xte, xte_arg, nullptr};
    char *xdotool_argv[] = {xdotool, click, five, nullptr};
    for (int i = 0; i < clicks; ++i) {
        // Interleaved, so that a slow moment of the machine hits all three.
        double ms;
        if ((ms = subprocess_click(xte_argv)) >= 0)
            by_xte.add(ms);
        if ((ms = subprocess_click(xdotool_argv)) >= 0)
            by_xdotool.add(ms);
        if ((ms = xtest_click(own)) >= 0)
            by_xtest.add(ms);
        sleep_ms(5);
    }
    XCloseDisplay(own);
    stop_children();

    const bool images = access("/usr/share/vorelltouchpad_data/cursor_image/V_Scroll.xbm", R_OK) == 0;
    printf(
        "End-to-end scroll latency on Xvfb: block write that completes a step -> wheel\n"
        "ButtonPress seen by a recording client (%d gestures of %d steps):\n",
        gestures, steps);
    steady.print("steady-state steps");
    first.print(images ? "first step (also shows V_Scroll via xsetroot)"
                       : "first step (xsetroot; cursor images not installed)");
    bare_steady.print("floor: bare poll-and-click loop, same steps");
    if (missed)
        printf("  %d steps produced no ButtonPress within 1 s\n", missed);
    printf("\nOne wheel click, start -> ButtonPress arrival (%d each, interleaved):\n", clicks);
    by_xte.print("xte 'mouseclick 5' (subprocess)");
    by_xdotool.print("xdotool click 5 (subprocess)");
    by_xtest.print("engine path: send_input InputKind::kButtonClick (XTEST)");
    if (by_xtest.n && by_xte.n && by_xdotool.n) {
        const double fastest = std::min(by_xte.pct(0.5), by_xdotool.pct(0.5));
        printf("  in-process XTEST is %.1fx faster than the faster subprocess (p50)\n",
               fastest / by_xtest.pct(0.5));
    }
    return 0;
}
