// A small engine stand-in for the tests: holds input the way gestured does
// and then waits to be ended by a signal, or runs hotkey_event_thread.
//
//   held_probe hold      Alt_L, button 1, button 3 through XTEST and the Left
//                        key through xte; prints "holding" and waits.
//   held_probe hotkey    runs hotkey_event_thread on the calling thread.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <X11/Xlib.h>

#include "engine_state.h"
#include "held_input.h"
#include "platform_x11.h"
#include "session_control.h"
#include "x_input.h"

int main(int argc, char **argv)
{
    static EngineShared engine;
    static const EnginePlatform platform = engine_platform_production();
    if (argc > 1 && strcmp(argv[1], "hotkey") == 0) {
        EngineThreadArgs args{&engine, &platform, nullptr, nullptr};
        hotkey_event_thread(&args);
        return 0;
    }
    install_release_on_signal();
    hotkey_display = XOpenDisplay(nullptr);
    if (!hotkey_display) {
        fprintf(stderr, "no display\n");
        return 2;
    }
    platform.send("Alt_L", 0, InputKind::kKeyPress);
    platform.send(nullptr, 1, InputKind::kButtonPress);
    platform.send(nullptr, 3, InputKind::kButtonPress);
    platform.run("xte 'keydown Left'");
    // A key pressed and released again is not held any more.
    platform.send("Shift_L", 0, InputKind::kKeyPress);
    platform.send("Shift_L", 0, InputKind::kKeyRelease);
    printf("holding %d\n", held_input_count());
    fflush(stdout);
    for (;;)
        pause();
}
