#include "live_wait.h"

#include <algorithm>

#include "block_watch.h"

int live_wait_ms(const LiveWaitFacts &f)
{
    int64_t wait = kIdleBlockCheckPeriodMs;
    if (f.mirroring) {
        const bool key_lately = f.last_key_ms >= 0 && f.now_ms - f.last_key_ms < kAfterKeyMs;
        if (!f.keys_reported || f.touchpad_off != 0 || key_lately)
            wait = kMirrorLookMs;
    }
    if (f.next_change_ms >= 0)
        wait = std::min(wait, f.next_change_ms - f.now_ms + 1);
    return static_cast<int>(std::max<int64_t>(0, wait));
}
