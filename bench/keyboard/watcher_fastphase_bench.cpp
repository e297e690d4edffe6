// Cost of one key press to a watcher: runs the real watcher cycle against a
// real X server (DISPLAY) with a counting keymap query, presses and releases
// one key through XTEST, and measures the fast phase that follows, up to the
// point where the watcher falls back to its one-second polls.
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstring>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "touchpad_block.h"
#include "watcher_logic.h"
#include "x_keymap.h"

namespace {

struct Counting {
    Display *display;
    long queries;
};

void counting_query(void *ctx, uint8_t keys[32])
{
    Counting *c = static_cast<Counting *>(ctx);
    ++c->queries;
    query_x_keymap(c->display, keys);
}

void real_sleep(void *, int64_t us) { sleep_microseconds(us); }

double cpu_seconds()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double wall_seconds()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

}  // namespace

int main()
{
    Display *watch = XOpenDisplay(nullptr);
    Display *typist = XOpenDisplay(nullptr);
    if (!watch || !typist) {
        fputs("Can't open display.\n", stderr);
        return 2;
    }
    const unsigned keycode = 38;  // an ordinary letter key

    printf("%-22s %12s %12s %12s\n", "watcher", "round trips", "cpu ms", "wall ms");
    for (int b = 0; b < kWatcherBuildCount; ++b) {
        const WatcherBuild &build = kWatcherBuilds[b];
        static TouchpadSharedBlock block;
        memset(&block, 0, sizeof block);
        block.DisableWhenKeyCheckBox = 1;  // release delay fields stay 0

        Counting counting = {watch, 0};
        const WatcherPlatform platform = {&counting, counting_query, real_sleep};
        WatcherState state;
        watcher_init(state);

        XTestFakeKeyEvent(typist, keycode, True, CurrentTime);
        XSync(typist, False);
        while (!state.raised)
            watcher_cycle(build, state, &block, platform);
        XTestFakeKeyEvent(typist, keycode, False, CurrentTime);
        XSync(typist, False);

        // From the release to the first one-second poll.
        while (state.idle_polls == 0)
            watcher_cycle(build, state, &block, platform);
        counting.queries = 1;
        double cpu0 = cpu_seconds(), wall0 = wall_seconds();
        while (state.idle_polls < 10000)
            watcher_cycle(build, state, &block, platform);
        double cpu = cpu_seconds() - cpu0, wall = wall_seconds() - wall0;
        printf("%-22s %12ld %12.1f %12.1f\n", build.program, counting.queries, cpu * 1000,
               wall * 1000);
    }
    return 0;
}
