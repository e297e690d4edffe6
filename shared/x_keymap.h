// The keyboard read from the X server, a plain sleep and the start-up they
// share, for the typing monitor and the key-activity watchers.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

#include "instance_lock.h"
#include "key_vector.h"
#include "touchpad_block.h"

// Sleeps for `us` microseconds (any length; restarts after signals).
void sleep_microseconds(int64_t us);

// XQueryKeymap into 32 unsigned bytes.
void query_x_keymap(Display *display, uint8_t keys[kKeyVectorBytes]);

// Opens the display, takes program's instance lock on it (see
// instance_lock_or_exit) and attaches the touchpad block, waiting while it is
// another user's (attach_own_block). Without a display it prints "Can't open
// display." and ends the program with status 2. When the lock cannot be taken
// or the block cannot be attached (the reason has been said) it closes the
// display and returns nullptr.
TouchpadSharedBlock *open_display_and_block(InstanceLock *lock, const char *program, Display **display);
