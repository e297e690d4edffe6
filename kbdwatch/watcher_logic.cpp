#include "watcher_logic.h"

#include <cstddef>

#include "touchpad_block.h"

namespace {

constexpr int32_t kMaxDelayTenths = 20;
constexpr int kFastPhasePolls = 10000;
constexpr int64_t kOneSecondUs = 1000000;
constexpr int64_t kFastPollSleepUs = 10;

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

}  // namespace

void watcher_init(WatcherState &s)
{
    s.raised = false;
    s.idle_polls = 0;
    s.release_wait_us = 0;
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

void watcher_lower(const WatcherBuild &build, WatcherState &s, void *block)
{
    set_flag(build, s, block, false);
}

void watcher_cycle(const WatcherBuild &build, WatcherState &s, void *block,
                   const WatcherPlatform &p)
{
    const int switch_offset = offsetof(TouchpadSharedBlock, DisableWhenKeyCheckBox);
    while (block_get_int(block, switch_offset) == 0) {
        set_flag(build, s, block, false);
        for (int i = 0; i < build.off_sleeps; ++i)
            p.sleep_us(p.ctx, kOneSecondUs);
    }

    uint8_t keys[kKeyVectorBytes];
    p.query_keymap(p.ctx, keys);

    if (exempt_key_down(keys, build.exempt_count)) {
        s.idle_polls = 1;
        set_flag(build, s, block, false);
        return;
    }

    if (any_key_down(keys)) {
        set_flag(build, s, block, true);
        s.release_wait_us = release_wait_for(block_get_int(block, build.delay_offset));
        if (build.wait_while_down && s.release_wait_us > 0)
            p.sleep_us(p.ctx, s.release_wait_us);
        s.idle_polls = 0;
        return;
    }

    if (s.idle_polls >= kFastPhasePolls) {
        p.sleep_us(p.ctx, kOneSecondUs);
        return;
    }
    p.sleep_us(p.ctx, kFastPollSleepUs);
    ++s.idle_polls;
    if (s.idle_polls == 1 && s.release_wait_us > 0)
        p.sleep_us(p.ctx, s.release_wait_us);
    set_flag(build, s, block, false);
}
