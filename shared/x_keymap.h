// The keyboard read from the X server, and a plain sleep, for the typing
// monitor and the key-activity watchers.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "key_vector.h"

// Sleeps for `us` microseconds (any length; restarts after signals).
void sleep_microseconds(int64_t us);

// XQueryKeymap into 32 unsigned bytes.
void query_x_keymap(Display *display, uint8_t keys[kKeyVectorBytes]);
