// How long vorellpad's live loop may sleep before it looks again, when no
// device, udev or X event wakes it first.
//
// While nobody touches the pad or types, only the check of the block under
// the key is left, and it is rare. The TouchpadOff mirror looks twice a
// second only while it matters: while the block says the pad is off, for a
// moment after each key the X server reports (the typing monitor raises the
// word right after a key), and always where the server cannot report keys.
// A finger still landing is looked at when it comes to count.
#pragma once

#include <cstdint>

constexpr int kMirrorLookMs = 500;
// After a key, the typing monitor has long raised TouchpadOff by then.
constexpr int64_t kAfterKeyMs = 2000;

struct LiveWaitFacts {
    int64_t now_ms = 0;
    bool mirroring = false;       // an X device takes TouchpadOff
    bool keys_reported = false;   // the X server reports key presses to us
    int64_t last_key_ms = -1;     // the last key reported, -1 none yet
    int touchpad_off = 0;         // the block's TouchpadOff now
    int64_t next_change_ms = -1;  // a landing finger's moment, -1 none
};

// Milliseconds for poll(), never negative.
int live_wait_ms(const LiveWaitFacts &f);
