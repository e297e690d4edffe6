// Real-X implementations of the watcher and typing-monitor seams.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "key_vector.h"

// Sleeps for `us` microseconds (any length; restarts after signals).
void sleep_microseconds(int64_t us);

// XQueryKeymap into 32 unsigned bytes; ctx is the Display.
void query_x_keymap(void *display, uint8_t keys[kKeyVectorBytes]);
