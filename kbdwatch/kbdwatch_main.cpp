// kbdwatch-*: raises one detection flag in the touchpad block while the user
// types. Built five times; KBDWATCH_BUILD selects the row of kWatcherBuilds.
#include <cstdio>
#include <cstdlib>

#include <X11/Xlib.h>

#include "touchpad_block.h"
#include "watcher_logic.h"
#include "x_keymap.h"

#ifndef KBDWATCH_BUILD
#error "KBDWATCH_BUILD must name a row of kWatcherBuilds"
#endif

namespace {

const WatcherBuild &g_build = kWatcherBuilds[KBDWATCH_BUILD];
WatcherState g_state;
TouchpadSharedBlock *g_block = nullptr;

void x_sleep(void *, int64_t us) { sleep_microseconds(us); }

// The X connection is gone: the program ends, but a flag it raised would
// otherwise stay up and keep silencing the touchpad until the next run.
int on_x_connection_lost(Display *)
{
    if (g_block)
        watcher_lower(g_build, g_state, g_block);
    exit(1);
}

}  // namespace

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        fputs("Can't open display.\n", stderr);
        return 2;
    }
    g_block = attach_shared_block();
    if (!g_block) {
        XCloseDisplay(display);
        return 1;
    }
    watcher_init(g_state);
    XSetIOErrorHandler(on_x_connection_lost);

    const WatcherPlatform platform = {display, query_x_keymap, x_sleep};
    for (;;)
        watcher_cycle(g_build, g_state, g_block, platform);
}
