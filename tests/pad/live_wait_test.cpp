// The live loop's sleep: the block check alone while the pad and the keys
// rest; the TouchpadOff mirror's look only while it can matter.
#include <gtest/gtest.h>

#include "block_watch.h"
#include "live_wait.h"

namespace {

struct Case {
    const char *what;
    LiveWaitFacts facts;
    int wait_ms;
};

TEST(LiveWait, LooksOftenOnlyWhileTheMirrorCanMatter)
{
    // now, mirroring, keys reported, last key, TouchpadOff, next change
    const Case cases[] = {
        {"all at rest", {100000, true, true, -1, 0, -1}, kIdleBlockCheckPeriodMs},
        {"no X device to mirror onto", {100000, false, false, -1, 1, -1}, kIdleBlockCheckPeriodMs},
        {"a key a moment ago", {100000, true, true, 99000, 0, -1}, kMirrorLookMs},
        {"the last key long past", {100000, true, true, 90000, 0, -1}, kIdleBlockCheckPeriodMs},
        {"the pad is off", {100000, true, true, 10000, 1, -1}, kMirrorLookMs},
        {"tapping and scrolling off", {100000, true, true, -1, 2, -1}, kMirrorLookMs},
        {"a server that reports no keys", {100000, true, false, -1, 0, -1}, kMirrorLookMs},
        {"a finger comes to count soon", {100000, true, true, -1, 0, 100030}, 31},
        {"its moment has passed", {100000, true, true, -1, 0, 99000}, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(live_wait_ms(c.facts), c.wait_ms) << c.what;
}

}  // namespace
