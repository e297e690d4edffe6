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
#include "platform.h"
#include "x_input.h"

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "hotkey") == 0) {
        hotkey_event_thread(nullptr);
        return 0;
    }
    install_release_on_signal();
    hotkey_display = XOpenDisplay(nullptr);
    if (!hotkey_display) {
        fprintf(stderr, "no display\n");
        return 2;
    }
    engine_platform.send_input("Alt_L", 0, InputKind::kKeyPress);
    engine_platform.send_input(nullptr, 1, InputKind::kButtonPress);
    engine_platform.send_input(nullptr, 3, InputKind::kButtonPress);
    engine_platform.run_command("xte 'keydown Left'");
    // A key pressed and released again is not held any more.
    engine_platform.send_input("Shift_L", 0, InputKind::kKeyPress);
    engine_platform.send_input("Shift_L", 0, InputKind::kKeyRelease);
    printf("holding %d\n", held_input_count());
    fflush(stdout);
    for (;;)
        pause();
}
