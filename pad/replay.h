// Publishing a recording into the block at its recorded timing, then lifting
// every finger. The clock and the sleep come through a platform record so
// tests can drive them and the benchmark can watch them.
#pragma once

#include <atomic>
#include <cstdint>

#include "recording.h"
#include "touchpad_block.h"

struct ReplayPlatform {
    int64_t (*now_us)(void *ctx);                         // a monotonic clock
    void (*sleep_until_us)(void *ctx, int64_t until_us);  // returns at the time, or earlier on a signal
    void *ctx;
};

// The monotonic clock and clock_nanosleep.
ReplayPlatform real_replay_platform();

// Called after every published state (a report, or a finger that landed
// coming to count between reports) with the time it was due and the time its
// finger count was stored (both on the replay clock).
using ReplayObserver = void (*)(int64_t due_us, int64_t stored_us, void *data);

// Replays rec into block. Stops early when stop becomes true. Returns the
// number of reports published (the final lift included).
int replay_recording(const Recording &rec, TouchpadSharedBlock *block, const ReplayPlatform &platform,
                     const std::atomic<bool> *stop = nullptr, ReplayObserver observer = nullptr,
                     void *observer_data = nullptr);
