// The watchers as the process tests run them, taken from the builds' table
// (whose numbers watcher_logic_test pins to the design's): each build's
// program, the flag it raises, the release delay it reads, and whether it
// reads again one release wait after a key-down reading.
#pragma once

#include <array>

#include "watcher_builds.h"

struct Watcher {
    const char *program;
    int flag;
    int delay;
    bool wait_while_down;
};

inline std::array<Watcher, kWatcherBuildCount> all_watchers()
{
    std::array<Watcher, kWatcherBuildCount> all{};
    for (int i = 0; i < kWatcherBuildCount; ++i) {
        const WatcherBuild &b = kWatcherBuilds[i];
        all[i] = {b.program, b.flag[0].offset, b.delay_offset, b.wait_while_down};
    }
    return all;
}

// By the build's index (kWatchTap and the others).
const std::array<Watcher, kWatcherBuildCount> kWatchers = all_watchers();
