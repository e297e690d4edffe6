#include "idle_monitor.h"

#include <cstring>

namespace {

// TouchpadOff is also written from the signal handler and read by other
// processes: one plain aligned 32-bit access, never cached in a register.
volatile int32_t &touchpad_off(TouchpadSharedBlock *block)
{
    return *reinterpret_cast<volatile int32_t *>(&block->TouchpadOff);
}

bool touchpad_button_held(const TouchpadSharedBlock *block)
{
    const FingerRecord &f = block->OldStructFingers;
    if (f.l || f.r || f.u || f.d)
        return true;
    for (int i = 0; i < 8; ++i)
        if (f.multi[i])
            return true;
    return false;
}

}  // namespace

void idle_monitor_init(IdleMonitor &m, const uint8_t *modifier_keycodes, int count, bool ignore_modifiers)
{
    m.disabled_by_monitor = false;
    m.last_activity = kNoKeyPress;
    memset(m.mask, 0xFF, sizeof m.mask);
    memset(m.previous, 0, sizeof m.previous);
    memset(m.typed, 0, sizeof m.typed);
    if (!ignore_modifiers)
        return;
    for (int i = 0; i < count; ++i) {
        uint8_t code = modifier_keycodes[i];
        if (code != 0)
            m.mask[code / 8] &= static_cast<uint8_t>(~(1u << (code % 8)));
    }
}

bool keyboard_activity(IdleMonitor &m, const uint8_t keys[kKeyVectorBytes], bool ignore_combos)
{
    bool activity = false;
    for (int i = 0; i < kKeyVectorBytes; ++i)
        if (keys[i] & m.mask[i] & ~m.previous[i])
            activity = true;
    if (ignore_combos)
        for (int i = 0; i < kKeyVectorBytes; ++i)
            if (keys[i] & ~m.mask[i])
                activity = false;
    memcpy(m.previous, keys, kKeyVectorBytes);
    return activity;
}

void typed_keys_start(IdleMonitor &m, const uint8_t keys[kKeyVectorBytes], bool ignore_combos)
{
    memcpy(m.typed, keys, kKeyVectorBytes);
    keyboard_activity(m, m.typed, ignore_combos);
}

bool key_event_activity(IdleMonitor &m, const KeyEvent &e, bool ignore_combos)
{
    const int byte = e.keycode / 8;
    const auto bit = static_cast<uint8_t>(1u << (e.keycode % 8));
    if (e.keycode < 0 || byte >= kKeyVectorBytes)
        return false;
    if (!e.press)
        m.typed[byte] &= static_cast<uint8_t>(~bit);
    else if (!e.synthetic)
        m.typed[byte] |= bit;
    return keyboard_activity(m, m.typed, ignore_combos);
}

bool enable_touchpad(IdleMonitor &m, TouchpadSharedBlock *block)
{
    // Store first, clear the state after: a signal arriving in between finds
    // the state still set and stores 0 again, never leaving the pad off.
    if (!m.disabled_by_monitor.load())
        return false;
    touchpad_off(block) = 0;
    m.disabled_by_monitor.store(false);
    return true;
}

IdleChange idle_poll(IdleMonitor &m, const IdleOptions &o, TouchpadSharedBlock *block, double now,
                     bool activity)
{
    if (activity)
        m.last_activity = now;
    if (touchpad_button_held(block))
        m.last_activity = kNoKeyPress;

    if (now > m.last_activity + o.idle_time)
        return enable_touchpad(m, block) ? IdleChange::kEnabled : IdleChange::kUnchanged;
    if (!m.disabled_by_monitor && touchpad_off(block) == 0) {
        // State first: a signal between the two stores still switches back on.
        m.disabled_by_monitor.store(true);
        touchpad_off(block) = o.tapping_only ? 2 : 1;
        return IdleChange::kDisabled;
    }
    return IdleChange::kUnchanged;
}

bool idle_poll_needed(const IdleMonitor &m, const IdleOptions &o, double now)
{
    return m.disabled_by_monitor.load() || now <= m.last_activity + o.idle_time;
}
