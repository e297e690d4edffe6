// The keyboard as the X server reports it in one keymap query: 32 bytes,
// bit b of byte i set while keycode 8 * i + b is down. The typing monitor and
// the key-activity watchers both decide from it.
#pragma once

constexpr int kKeyVectorBytes = 32;

// One key press or release as the X server reports it (x_key_events.h).
struct KeyEvent {
    int keycode;     // 8 to 255
    bool press;      // false: a release
    bool synthetic;  // sent through XTEST by a program, not typed
};
