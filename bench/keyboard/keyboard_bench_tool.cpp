// Helpers for the keyboard bench, on the X server named by DISPLAY, typing
// through the server's own keyboard as a person would (not through XTEST's
// device, whose keys the typing monitor ignores):
//   keyboard_bench_tool hold KEYCODE SECONDS       press, hold, release
//   keyboard_bench_tool type SECONDS RATE HOLD_MS  RATE letters a second
//   keyboard_bench_tool poll PERIOD_MS             a bare keyboard poller:
//                                                  XQueryKeymap every PERIOD_MS
//   keyboard_bench_tool disable COUNT              COUNT key presses, each once
//                                                  the touchpad is on: time from
//                                                  the press to TouchpadOff set
//                                                  in the block (p50, max)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>

#include "clock.h"
#include "touchpad_block.h"
#include "typed_keys.h"

namespace {

void sleep_s(double s)
{
    struct timespec ts = {static_cast<time_t>(s), static_cast<long>((s - static_cast<time_t>(s)) * 1e9)};
    nanosleep(&ts, nullptr);
}

XDevice *keyboard = nullptr;

void key(Display *d, unsigned keycode, bool down) { type_key(d, keyboard, keycode, down); }

int usage()
{
    fputs(
        "usage: keyboard_bench_tool hold KEYCODE SECONDS | type SECONDS RATE HOLD_MS | poll PERIOD_MS | "
        "disable COUNT\n",
        stderr);
    return 1;
}

// Waits, polling every 0.1 ms, until TouchpadOff is (or is not) 0; the
// monotonic time then, or -1 after 10 s.
int64_t touchpad_off_becomes(const TouchpadSharedBlock *block, bool off)
{
    const int64_t give_up = monotonic_now_us() + 10000000;
    for (;;) {
        const int64_t now = monotonic_now_us();
        if ((*reinterpret_cast<const volatile int32_t *>(&block->TouchpadOff) != 0) == off)
            return now;
        if (now > give_up)
            return -1;
        sleep_s(0.0001);
    }
}

int disable_latency(Display *d, int count)
{
    TouchpadSharedBlock *block = attach_shared_block();
    if (!block)
        return 2;
    double ms[1000];
    int n = 0;
    for (int i = 0; i < count && n < 1000; ++i) {
        if (touchpad_off_becomes(block, false) < 0)
            break;
        sleep_s(0.2);  // the keyboard idle for a while, as between bursts of typing
        key(d, 38, true);
        const int64_t pressed = monotonic_now_us();
        const int64_t off = touchpad_off_becomes(block, true);
        key(d, 38, false);
        if (off >= 0)
            ms[n++] = static_cast<double>(off - pressed) / 1000;
    }
    if (n == 0) {
        puts("no key press switched the touchpad off");
        return 1;
    }
    std::sort(ms, ms + n);
    printf("key press to TouchpadOff set: p50 %.2f ms, max %.2f ms (%d presses)\n", ms[n / 2], ms[n - 1], n);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        fputs("Can't open display.\n", stderr);
        return 2;
    }
    keyboard = open_typing_keyboard(d);
    if (!keyboard && strcmp(argv[1], "poll") != 0) {
        fputs("the X server has no keyboard of its own\n", stderr);
        return 2;
    }
    if (strcmp(argv[1], "hold") == 0 && argc == 4) {
        unsigned keycode = static_cast<unsigned>(atoi(argv[2]));
        key(d, keycode, true);
        sleep_s(atof(argv[3]));
        key(d, keycode, false);
    } else if (strcmp(argv[1], "type") == 0 && argc == 5) {
        double seconds = atof(argv[2]), rate = atof(argv[3]), hold = atof(argv[4]) / 1000;
        // Letters of the top row (keycodes 24 to 33), in turn.
        int presses = static_cast<int>(seconds * rate);
        for (int i = 0; i < presses; ++i) {
            unsigned keycode = 24 + static_cast<unsigned>(i % 10);
            key(d, keycode, true);
            sleep_s(hold);
            key(d, keycode, false);
            sleep_s(1 / rate - hold);
        }
        printf("%d\n", presses);
    } else if (strcmp(argv[1], "poll") == 0 && argc == 3) {
        double period = atof(argv[2]) / 1000;
        char keys[32];
        for (;;) {
            XQueryKeymap(d, keys);
            sleep_s(period);
        }
    } else if (strcmp(argv[1], "disable") == 0 && argc == 3) {
        return disable_latency(d, atoi(argv[2]));
    } else {
        return usage();
    }
    XCloseDisplay(d);
    return 0;
}
