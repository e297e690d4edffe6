// Helpers for the keyboard-side tests: key presses by keycode on a test X
// server, and the touchpad block attached in the test process.
#pragma once

#include <cstdint>
#include <string>

#include "support.h"

struct TouchpadSharedBlock;
struct _XDisplay;  // Xlib's Display, kept opaque: its macros clash with GoogleTest

// Where a typist's keys come from: the server's own keyboard device, as a
// person's typing does, or XTEST's device, as the engine's keys and those of
// xte and xdotool do.
enum class KeySource { kKeyboard, kXtest };

// A connection to a test X server that presses and releases keys by keycode.
// Keys still held are released when the object goes.
class KeyTypist {
public:
    explicit KeyTypist(const std::string &display_name, KeySource source = KeySource::kKeyboard);
    ~KeyTypist();
    KeyTypist(const KeyTypist &) = delete;
    KeyTypist &operator=(const KeyTypist &) = delete;

    void press(unsigned keycode);
    void release(unsigned keycode);
    // Press, hold (long enough for a 20 ms keyboard poll to see it), release.
    void tap(unsigned keycode, int hold_ms = 150);

private:
    _XDisplay *display_ = nullptr;
    void *keyboard_ = nullptr;  // the keyboard's XDevice; nullptr: XTEST's own device
    bool held_[256] = {};
};

// Creates the block with the simulator (default settings) in the current IPC
// namespace and attaches it here too.
TouchpadSharedBlock *create_test_block();

// One 32-bit field of the block by byte offset, read fresh each time.
int32_t block_field(const TouchpadSharedBlock *block, int offset);
void set_block_field(TouchpadSharedBlock *block, int offset, int32_t value);
