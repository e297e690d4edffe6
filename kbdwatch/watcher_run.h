// The watcher's life after start-up: waits for key events from the X server
// (or polls every 20 ms where it has none), reads the keyboard after each and
// keeps the build's flag in the block.
#pragma once

#include <X11/Xlib.h>

#include "touchpad_block.h"
#include "watcher_builds.h"

// Never returns. Ends the program with status 1, its flag lowered, when the
// X connection is lost.
[[noreturn]] void run_watcher(const WatcherBuild &build, Display *display, TouchpadSharedBlock *block);
