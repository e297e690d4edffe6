// A small engine stand-in for the tests: holds input the way gestured does
// and then waits to be ended by a signal, or runs hotkey_event_thread.
//
//   held_probe hold      Alt_L, button 1, button 3 through XTEST and the Left
//                        key through xte; prints "holding" and waits.
//   held_probe hotkey    runs hotkey_event_thread on the calling thread.
//   held_probe lose D    ends with the X server D as the engine does, notes
//                        Alt_L as held (sends nothing), prints "holding" and
//                        waits; its clean-up connects to $DISPLAY.
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
    if (argc > 2 && strcmp(argv[1], "lose") == 0) {
        static SessionHooks hooks;
        Display *engine_display = XOpenDisplay(argv[2]);
        if (!engine_display) {
            fprintf(stderr, "no display\n");
            return 2;
        }
        end_with_x_server(engine_display, &hooks);
        held_key_down("Alt_L");
        printf("holding %d\n", held_input_count());
        fflush(stdout);
        for (;;)
            pause();
    }
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
