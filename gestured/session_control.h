// gestured's life in a desktop session, around the engine proper: the end
// by a signal or when the X server goes away, with the clean-up both share,
// the release step run after the engine was stopped, the --debug trace, and
// the help text.
#pragma once

#include <X11/Xlib.h>

#include "engine_state.h"
#include "platform.h"

// The engine's last clean-up, on a signal and when the X server goes: ends
// the shell commands in flight (a keydown that landed after the release would
// stay held), then, when stop_input, stops synthetic input; releases what is
// held over a fresh display connection (the engine's own may be gone) and
// puts the driver parameters back.
void release_everything_for_exit(bool stop_input);

// Makes SIGTERM, SIGINT and SIGHUP release everything held before the process
// ends by the same signal. Blocks the three signals in the calling thread and
// starts a thread that waits for them, so it must be called by main before it
// creates any other thread (the threads inherit the blocked set). Also calls
// XInitThreads, which must come before any other Xlib call. The clean-up
// runs once: a signal while the engine already ends for its lost X server
// is left to that end, and the other way round; a server that goes in the
// middle of the clean-up leaves only the driver parameters to put back
// before the process ends as it was going to.
void install_release_on_signal();

// Releases through XTEST every key and button the X server reports down
// (XQueryKeymap, XQueryPointer) on the default display. A release the XTEST
// device did not press is dropped by the server, so keys the user holds stay
// held. Then, unless an engine still runs on the server, puts back the
// driver parameters that an engine which died left changed (its state file,
// driver_parameters.h). Returns the exit status of the release step: 0, also
// when the display cannot be opened ("Can't open display." on standard
// error; a server that is gone holds nothing).
int release_everything_held();

// Ends the engine when its X server goes: an I/O error handler for every
// display connection of the process, and a thread that sleeps on `display`'s
// socket and wakes only when it closes. Either way the engine lets go of
// whatever it holds (if a server is still there to hear it), says
// "gestured: lost the X server" on standard error and exits with status 1.
// A thread of the engine that cannot open its own connection later takes the
// same way out (hooks' display_gone). `display` then belongs to that thread.
void end_with_x_server(Display *display, SessionHooks *hooks);

// --debug: each action queue entry is printed on standard error (hooks'
// trace_action). Call before the engine threads start.
void install_debug_trace(SessionHooks *hooks);

// --debug: the production platform, with each input and command printed on
// standard error before it goes out.
EnginePlatform engine_platform_traced();

void print_help();
