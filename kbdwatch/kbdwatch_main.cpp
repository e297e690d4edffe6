// kbdwatch-*: raises one detection flag in the touchpad block while the user
// types. Built five times; KBDWATCH_BUILD selects the row of kWatcherBuilds.
#include <cstdio>
#include <cstdlib>

#include <X11/Xlib.h>

#include "touchpad_block.h"
#include "watcher_run.h"

#ifndef KBDWATCH_BUILD
#error "KBDWATCH_BUILD must name a row of kWatcherBuilds"
#endif

namespace {

const WatcherBuild &g_build = kWatcherBuilds[KBDWATCH_BUILD];
TouchpadSharedBlock *g_block = nullptr;

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
    run_watcher(g_build, display, g_block);
}
