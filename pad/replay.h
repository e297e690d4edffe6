// Publishing a recording into the block at its recorded timing, then lifting
// every finger. The clock is passed in so tests and the benchmark can drive
// or watch it.
#pragma once

#include <atomic>
#include <cstdint>

#include "recording.h"
#include "touchpad_block.h"

struct ReplayClock {
    int64_t (*now_us)() = nullptr;             // a monotonic clock
    void (*sleep_until_us)(int64_t) = nullptr;  // returns at the time, or earlier on a signal
};

// The monotonic clock and clock_nanosleep.
ReplayClock system_replay_clock();

// Called after every published report with the time it was due and the time
// its finger count was stored (both on the replay clock).
using ReplayObserver = void (*)(int64_t due_us, int64_t stored_us, void *data);

// Replays rec into block. Stops early when stop becomes true. Returns the
// number of reports published (the final lift included).
int replay_recording(const Recording &rec, TouchpadSharedBlock *block, const ReplayClock &clock,
                     const std::atomic<bool> *stop = nullptr, ReplayObserver observer = nullptr,
                     void *observer_data = nullptr);
