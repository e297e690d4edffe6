// The watchers as the process tests run them, taken from the builds' table
// (whose numbers watcher_logic_test pins to the design's): each build's
// program, the flag it raises, the release delay it reads, and whether it
// reads again one release wait after a key-down reading.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "support.h"
#include "touchpad_block.h"
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

// A test's own block with the watchers' master switch on, every flag down
// and every release delay 0; watchers are started per test.
class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        block_ = create_test_block();
        set_block_field(block_, offsetof(TouchpadSharedBlock, DisableWhenKeyCheckBox), 1);
        for (const Watcher &w : kWatchers) {
            set_block_field(block_, w.flag, 0);
            set_block_field(block_, w.delay, 0);
        }
    }
    std::unique_ptr<Background> start(int index, const std::string &display)
    {
        return std::make_unique<Background>(std::vector<std::string>{bin_path(kWatchers[index].program)},
                                            RunOptions{"", {"DISPLAY=" + display}, "", 20.0});
    }
    int32_t flag(int index) const { return block_field(block_, kWatchers[index].flag); }

    TouchpadSharedBlock *block_ = nullptr;
};
