#include "watcher_logic.h"

#include <cstddef>

#include "touchpad_block.h"

namespace {

constexpr int32_t kMaxDelayTenths = 20;
constexpr int64_t kOneSecondUs = 1000000;

void set_flag(const WatcherBuild &build, WatcherState &s, void *block, bool up)
{
    if (s.raised == up)
        return;
    block_set_int(block, build.flag[0].offset, up ? 1 : 0);
    s.raised = up;
}

bool any_key_down(const uint8_t keys[kKeyVectorBytes])
{
    for (int i = 0; i < kKeyVectorBytes; ++i)
        if (keys[i] != 0)
            return true;
    return false;
}

int64_t earlier(int64_t a, int64_t b) { return a < b ? a : b; }

}  // namespace

void watcher_init(WatcherState &s, int64_t now_us)
{
    s.raised = false;
    s.typing = false;
    s.release_wait_us = 0;
    s.switched_off = false;
    s.reading_wanted = true;
    s.quiet_until_us = 0;
    s.lower_at_us = kNever;
    s.switch_check_at_us = now_us;
}

void watcher_key_event(WatcherState &s) { s.reading_wanted = true; }

bool watcher_wake(const WatcherBuild &build, WatcherState &s, void *block, int64_t now_us)
{
    // Switched off, the switch is looked at again when a key goes down or
    // up: only typing would have anything to do once it is back on.
    if (s.switched_off && !s.reading_wanted)
        return false;
    const int switch_offset = offsetof(TouchpadSharedBlock, DisableWhenKeyCheckBox);
    if (block_get_int(block, switch_offset) == 0) {
        // Switched off: the flag comes down once and the keyboard is left
        // alone; whether a key was typed last and the release wait are kept.
        s.switched_off = true;
        s.reading_wanted = false;
        s.lower_at_us = kNever;
        set_flag(build, s, block, false);
        return false;
    }
    if (s.switched_off) {
        s.switched_off = false;
        s.reading_wanted = true;
    }
    s.switch_check_at_us = now_us + kOneSecondUs;
    if (now_us >= s.lower_at_us) {
        s.lower_at_us = kNever;
        set_flag(build, s, block, false);
    }
    return s.reading_wanted && now_us >= s.quiet_until_us;
}

void watcher_keys(const WatcherBuild &build, WatcherState &s, void *block, int64_t now_us,
                  const uint8_t keys[kKeyVectorBytes])
{
    s.reading_wanted = false;

    if (exempt_key_down(keys, build.exempt_count)) {
        s.typing = false;
        s.lower_at_us = kNever;
        set_flag(build, s, block, false);
        return;
    }

    if (any_key_down(keys)) {
        set_flag(build, s, block, true);
        s.release_wait_us = release_wait_for(block_get_int(block, build.delay_offset));
        s.typing = true;
        s.lower_at_us = kNever;
        if (build.wait_while_down)
            s.quiet_until_us = now_us + s.release_wait_us;
        return;
    }

    // No key down. The first such reading after typing starts the release
    // wait; a release wait already running is left to end.
    if (s.typing && s.release_wait_us > 0)
        s.lower_at_us = now_us + s.release_wait_us;
    else if (s.lower_at_us == kNever)
        set_flag(build, s, block, false);
    s.typing = false;
}

int64_t watcher_next_wake(const WatcherState &s)
{
    if (s.switched_off)
        return kNever;
    int64_t at = s.lower_at_us;
    // The switch needs watching only while turning it off would lower the
    // flag; otherwise the look that comes with the next key event is soon
    // enough, and a quiet keyboard wakes nothing.
    if (s.raised)
        at = earlier(at, s.switch_check_at_us);
    if (s.reading_wanted)
        at = earlier(at, s.quiet_until_us);
    return at;
}

void watcher_lower(const WatcherBuild &build, WatcherState &s, void *block)
{
    set_flag(build, s, block, false);
}

void watcher_block_replaced(const WatcherBuild &build, WatcherState &s, void *old_block)
{
    set_flag(build, s, old_block, false);
    s.lower_at_us = kNever;
    s.reading_wanted = true;
}

bool exempt_key_down(const uint8_t keys[kKeyVectorBytes], int exempt_count)
{
    for (int i = 0; i < exempt_count; ++i)
        if (keys[kExemptKeys[i].byte] == kExemptKeys[i].value)
            return true;
    return false;
}

int64_t release_wait_for(int32_t delay_tenths)
{
    if (delay_tenths < 0)
        delay_tenths = 0;
    if (delay_tenths > kMaxDelayTenths)
        delay_tenths = kMaxDelayTenths;
    return static_cast<int64_t>(delay_tenths) * 100000;
}

bool add_reported_presses(uint8_t keys[kKeyVectorBytes], uint8_t pressed[kKeyVectorBytes])
{
    bool already_up = false;
    for (int i = 0; i < kKeyVectorBytes; ++i) {
        if (pressed[i] & ~keys[i])
            already_up = true;
        keys[i] |= pressed[i];
        pressed[i] = 0;
    }
    return already_up;
}
