// Publishing a recording at its recorded timing, then lifting every finger.
// The clock, the sleep and the publishing come through a platform record so
// tests can drive them and the benchmark can watch them.
#pragma once

#include <atomic>
#include <cstdint>

#include "finger_state.h"
#include "recording.h"

struct ReplayPlatform {
    int64_t (*now_us)(void *ctx);                          // a monotonic clock
    void (*sleep_until_us)(void *ctx, int64_t until_us);   // returns at the time, or earlier
    void (*publish)(void *ctx, const FingerState &state);  // one report's finger state
    void *ctx;
};

// Called after every published report with the time it was due and the time
// its finger count was stored (both on the replay clock).
using ReplayObserver = void (*)(int64_t due_us, int64_t stored_us, void *data);

// Replays rec through platform. Stops early when stop becomes true. Returns
// the number of reports published (the final lift included).
int replay_recording(const Recording &rec, const ReplayPlatform &platform,
                     const std::atomic<bool> *stop = nullptr, ReplayObserver observer = nullptr,
                     void *observer_data = nullptr);
