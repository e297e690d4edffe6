// Key presses and releases as the X server reports them: XInput 2 raw key
// events on the root window, which come for every keyboard (XTEST's too)
// whoever has the focus or a grab.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

// Asks for raw key press and release events. False when the server lacks
// XInput 2.0 or the Generic Event extension that carries its events; then no
// key event will ever come.
bool listen_for_key_events(Display *display, int *xi_opcode);

// Takes every event the connection holds without waiting. Sets the bit of
// each pressed keycode in `pressed` (which it never clears); true when a key
// was pressed or released. Ends the program through the X I/O error handler
// when the server has gone.
bool take_key_events(Display *display, int xi_opcode, uint8_t pressed[32]);

// Waits until the X connection has something to read or timeout_us passes
// (a day or more: no time limit); true in the first case.
bool wait_for_x(Display *display, int64_t timeout_us);
