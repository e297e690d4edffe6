// Helpers for the keyboard-side tests: XTEST key presses by keycode on a test
// X server, the touchpad block attached in the test process, and polling for
// a condition with a generous time limit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct TouchpadSharedBlock;
struct _XDisplay;  // Xlib's Display, kept opaque: its macros clash with GoogleTest

// A connection to a test X server that presses and releases keys by keycode.
// Keys still held are released when the object goes.
class KeyTypist {
public:
    explicit KeyTypist(const std::string &display_name);
    ~KeyTypist();
    KeyTypist(const KeyTypist &) = delete;
    KeyTypist &operator=(const KeyTypist &) = delete;

    void press(unsigned keycode);
    void release(unsigned keycode);
    // Press, hold (long enough for a 20 ms keyboard poll to see it), release.
    void tap(unsigned keycode, int hold_ms = 150);

private:
    _XDisplay *display_ = nullptr;
    bool held_[256] = {};
};

// Creates the block with the simulator (default settings) in the current IPC
// namespace and attaches it here too.
TouchpadSharedBlock *create_test_block();

// One 32-bit field of the block by byte offset, read fresh each time.
int32_t block_field(const TouchpadSharedBlock *block, int offset);
void set_block_field(TouchpadSharedBlock *block, int offset, int32_t value);

// Polls cond every 5 ms until it holds or timeout_s passes.
bool wait_until(const std::function<bool()> &cond, double timeout_s = 10.0);

// True if cond holds at every 5 ms check for duration_s.
bool holds_for(const std::function<bool()> &cond, double duration_s);

// Seconds on a monotonic clock.
double monotonic_s();

// A fresh empty folder under /tmp.
std::string make_temp_dir();
