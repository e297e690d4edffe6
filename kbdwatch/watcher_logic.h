// The watcher's polling cycle, written against a small platform record so that
// the key vector and every sleep can be scripted in tests.
#pragma once

#include <cstdint>

#include "watcher_builds.h"

constexpr int kKeyVectorBytes = 32;

struct WatcherState {
    bool raised;          // this watcher last wrote 1 into its flag
    int idle_polls;       // consecutive polls with no key down
    int64_t release_wait_us;
};

struct WatcherPlatform {
    void *ctx;
    // Fills the 32-byte key vector (bit b of byte i: keycode 8 * i + b down).
    void (*query_keymap)(void *ctx, uint8_t keys[kKeyVectorBytes]);
    void (*sleep_us)(void *ctx, int64_t us);
};

void watcher_init(WatcherState &s);

// True when a test of the first `exempt_count` exempt keys matches.
bool exempt_key_down(const uint8_t keys[kKeyVectorBytes], int exempt_count);

// Release wait for a delay field value in tenths of a second. Values outside
// the field's range 0..20 are taken as its nearest end.
int64_t release_wait_for(int32_t delay_tenths);

// One cycle of the main loop: the switched-off spell (if any), one keymap
// query and its consequence, with the sleeps that follow it.
void watcher_cycle(const WatcherBuild &build, WatcherState &s, void *block,
                   const WatcherPlatform &p);

// Lowers the flag if this watcher raised it (used when the program ends).
void watcher_lower(const WatcherBuild &build, WatcherState &s, void *block);
