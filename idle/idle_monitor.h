// The typing monitor's decisions: what counts as a key press, and when the
// touchpad goes off and comes back on. Time and the key vector come in as
// arguments; the block is any memory laid out as TouchpadSharedBlock.
#pragma once

#include <atomic>
#include <cstdint>

#include "idle_options.h"
#include "key_vector.h"
#include "touchpad_block.h"

struct IdleMonitor {
    // Set between our write of 1 or 2 into TouchpadOff and our write of 0.
    // Also read and cleared by the signal handler.
    std::atomic<bool> disabled_by_monitor{false};
    double last_activity = 0.0;     // wall-clock seconds of the last key press
    uint8_t mask[kKeyVectorBytes];  // keys whose press counts as activity
    uint8_t previous[kKeyVectorBytes];
};
static_assert(std::atomic<bool>::is_always_lock_free, "flag is touched from a signal handler");

// All keys count; then every non-zero keycode of the modifier mapping is
// cleared when modifiers are ignored.
void idle_monitor_init(IdleMonitor &m, const uint8_t *modifier_keycodes, int count, bool ignore_modifiers);

// One keyboard poll: a key that the mask admits went down since the last
// poll. With ignore_combos, no press counts while a masked key is down.
bool keyboard_activity(IdleMonitor &m, const uint8_t keys[kKeyVectorBytes], bool ignore_combos);

// Writes 0 into TouchpadOff if (and only if) this monitor switched it off.
// Async-signal-safe.
bool enable_touchpad(IdleMonitor &m, TouchpadSharedBlock *block);

enum class IdleChange { kUnchanged, kEnabled, kDisabled };

// One pass of the main loop after the keyboard poll.
IdleChange idle_poll(IdleMonitor &m, const IdleOptions &o, TouchpadSharedBlock *block, double now,
                     bool activity);
