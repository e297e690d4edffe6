// The typing monitor's decisions: what counts as a key press, and when the
// touchpad goes off and comes back on. Time (monotonic seconds), the key
// vector or the key events come in as arguments; the block is any memory
// laid out as TouchpadSharedBlock.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>

#include "idle_options.h"
#include "key_vector.h"
#include "touchpad_block.h"

// The last key press of a keyboard that counts as idle: long before any time.
constexpr double kNoKeyPress = -HUGE_VAL;

struct IdleMonitor {
    // Set between our write of 1 or 2 into TouchpadOff and our write of 0.
    // Also read and cleared by the signal handler.
    std::atomic<bool> disabled_by_monitor{false};
    double last_activity = kNoKeyPress;  // seconds of the last key press
    uint8_t mask[kKeyVectorBytes];       // keys whose press counts as activity
    uint8_t previous[kKeyVectorBytes];
    uint8_t typed[kKeyVectorBytes];  // keys down as the key events tell
};
static_assert(std::atomic<bool>::is_always_lock_free, "flag is touched from a signal handler");

// All keys count; then every non-zero keycode of the modifier mapping is
// cleared when modifiers are ignored.
void idle_monitor_init(IdleMonitor &m, const uint8_t *modifier_keycodes, int count, bool ignore_modifiers);

// One keyboard poll: a key that the mask admits went down since the last
// poll. With ignore_combos, no press counts while a masked key is down.
bool keyboard_activity(IdleMonitor &m, const uint8_t keys[kKeyVectorBytes], bool ignore_combos);

// Starts the key vector that the key events keep (key_event_activity): the
// keys down when the monitor starts, from one keymap query. Also primes the
// previous vector, as the first poll would.
void typed_keys_start(IdleMonitor &m, const uint8_t keys[kKeyVectorBytes], bool ignore_combos);

// One key event instead of a poll: the vector of keys down is brought up to
// date and judged by keyboard_activity. Keys sent through XTEST are not
// typing: their presses change nothing, while every release takes the key
// off (a key held through XTEST when the monitor started was in the vector).
bool key_event_activity(IdleMonitor &m, const KeyEvent &e, bool ignore_combos);

// Writes 0 into TouchpadOff if (and only if) this monitor switched it off.
// Async-signal-safe.
bool enable_touchpad(IdleMonitor &m, TouchpadSharedBlock *block);

enum class IdleChange { kUnchanged, kEnabled, kDisabled };

// One pass of the main loop after the keyboard poll.
IdleChange idle_poll(IdleMonitor &m, const IdleOptions &o, TouchpadSharedBlock *block, double now,
                     bool activity);

// Whether idle_poll still has something to decide without a key press: the
// monitor has the touchpad off, or a key was pressed within the idle time
// (someone else may switch the touchpad on meanwhile). Otherwise only the
// next key press can change anything, and a monitor told of key presses by
// events may sleep until one comes.
bool idle_poll_needed(const IdleMonitor &m, const IdleOptions &o, double now);
