// Helpers for the keyboard bench, on the X server named by DISPLAY:
//   keyboard_bench_tool hold KEYCODE SECONDS       press, hold, release
//   keyboard_bench_tool type SECONDS RATE HOLD_MS  RATE letters a second
//   keyboard_bench_tool poll PERIOD_MS             a bare keyboard poller:
//                                                  XQueryKeymap every PERIOD_MS
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

void sleep_s(double s)
{
    struct timespec ts = {static_cast<time_t>(s), static_cast<long>((s - static_cast<time_t>(s)) * 1e9)};
    nanosleep(&ts, nullptr);
}

void key(Display *d, unsigned keycode, bool down)
{
    XTestFakeKeyEvent(d, keycode, down ? True : False, CurrentTime);
    XSync(d, False);
}

int usage()
{
    fputs("usage: keyboard_bench_tool hold KEYCODE SECONDS | type SECONDS RATE HOLD_MS | poll PERIOD_MS\n",
          stderr);
    return 1;
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
    } else {
        return usage();
    }
    XCloseDisplay(d);
    return 0;
}
