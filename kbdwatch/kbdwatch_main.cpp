// kbdwatch-*: raises one detection flag in the touchpad block while the user
// types. Built once per watcher; KBDWATCH_BUILD names the row of
// kWatcherBuilds.
#include <cstdio>
#include <cstdlib>

#include <X11/Xlib.h>

#include "instance_lock.h"
#include "long_options.h"
#include "touchpad_block.h"
#include "version.h"
#include "watcher_run.h"
#include "x_keymap.h"

#ifndef KBDWATCH_BUILD
#error "KBDWATCH_BUILD must name a row of kWatcherBuilds"
#endif

namespace {

const WatcherBuild &g_build = kWatcherBuilds[KBDWATCH_BUILD];
TouchpadSharedBlock *g_block = nullptr;

void print_help()
{
    printf(
        "Usage: %s [--help] [--version]\n"
        "Raises %s in the touchpad block while keys are pressed, and lowers it\n"
        "again a release delay after typing stops. Takes no other arguments; one\n"
        "copy runs per user and display.\n",
        g_build.program, g_build.flag[0].name);
}

}  // namespace

int main(int argc, char **argv)
{
    if (answer_help_or_version(argc, argv, "", print_help, kVersionText))
        return 0;
    static InstanceLock instance_lock;
    Display *display = nullptr;
    g_block = open_display_and_block(&instance_lock, g_build.program, &display);
    if (!g_block)
        return 1;
    run_watcher(g_build, display, g_block);
}
