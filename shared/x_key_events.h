// Key presses and releases as the X server reports them: XInput 2 raw key
// events on the root window, which come for every keyboard whoever has the
// focus or a grab, each with the device it came from. Keys sent through XTEST
// (the engine's own Alt and Tab, xte, xdotool, an on-screen keyboard) come
// from the server's XTEST devices, so a listener can tell them from typing.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "key_vector.h"

// Device ids are below 128 (XI2 keeps them in 7 bits with some requests).
constexpr int kXDeviceIds = 128;

struct KeyEventListener {
    int xi_opcode = 0;
    // The devices through which XTEST sends its input, by id; looked up when
    // listening starts and again whenever the server's devices change.
    bool synthetic[kXDeviceIds] = {};
};

// Asks for raw key press and release events (and for word of devices coming
// and going). False when the server lacks XInput 2.0 or the Generic Event
// extension that carries its events; then no key event will ever come.
bool listen_for_key_events(Display *display, KeyEventListener *listener);

// Takes every event the connection holds without waiting and hands each key
// press and release to on_key(ctx, event), in order; true when there was one.
// Ends the program through the X I/O error handler when the server has gone.
bool take_key_events(Display *display, KeyEventListener *listener,
                     void (*on_key)(void *ctx, const KeyEvent &event), void *ctx);

// Waits until the X connection has something to read or timeout_us passes
// (a day or more: no time limit); true in the first case.
bool wait_for_x(Display *display, int64_t timeout_us);
