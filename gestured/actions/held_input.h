// What the engine holds down on the X server right now, so that nothing stays
// held when the process ends (session_control lets go of it).
//
// The production send_input notes every key press and release and every
// button press and release it sends, and the production command runner
// notes the 'keydown NAME' / 'keyup NAME' and 'mousedown N' / 'mouseup N'
// words of the xte commands it runs. Code that holds input some other way
// notes it with the functions below. All functions are thread-safe.
#pragma once

#include <X11/Xlib.h>

constexpr int kHeldKeySlots = 16;
constexpr int kHeldKeyNameMax = 32;

void held_key_down(const char *keysym_name);
void held_key_up(const char *keysym_name);
void held_button_down(int button);
void held_button_up(int button);

// Notes the key and button words of one xte command line; called before the
// command runs for the downs and after it for the ups.
void note_command_downs(const char *command);
void note_command_ups(const char *command);

// How many keys and buttons are noted as held (for tests and diagnostics).
int held_input_count();

// Sends a release for everything noted as held (buttons first, then keys),
// syncs with the server and forgets it all.
void release_held_inputs(Display *display);
