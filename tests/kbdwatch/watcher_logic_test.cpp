// The watcher's decisions with a scripted keyboard and clock: key events,
// readings of the key vector and the times they happen at.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "touchpad_block.h"
#include "watcher_logic.h"

namespace {

constexpr int64_t kMs = 1000;

struct KeyVector {
    uint8_t keys[kKeyVectorBytes] = {};
    explicit KeyVector(std::initializer_list<unsigned> keycodes)
    {
        for (unsigned k : keycodes)
            keys[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }
};

// One watcher with its block, a clock the test moves, and a keyboard whose
// state the test sets. A reading happens only where the loop would do one:
// when watcher_wake asks for it.
struct WatcherRig {
    const WatcherBuild &build;
    TouchpadSharedBlock block = {};
    WatcherState state;
    int64_t now = 0;
    KeyVector held{};
    int readings = 0;

    explicit WatcherRig(int index) : build(kWatcherBuilds[index])
    {
        block.DisableWhenKeyCheckBox = 1;
        watcher_init(state, now);
    }
    int32_t flag() const { return block_get_int(&block, build.flag[0].offset); }
    void set_flag(int32_t v) { block_set_int(&block, build.flag[0].offset, v); }
    void set_delay(int32_t tenths) { block_set_int(&block, build.delay_offset, tenths); }
    // The loop's one wake at time t (milliseconds): true when it read the keyboard.
    bool wake_at(int64_t t_ms)
    {
        now = t_ms * kMs;
        if (!watcher_wake(build, state, &block, now))
            return false;
        ++readings;
        watcher_keys(build, state, &block, now, held.keys);
        return true;
    }
    // A key press or release reported by the server at time t, and the wake it causes.
    bool key_event_at(int64_t t_ms, std::initializer_list<unsigned> now_held)
    {
        held = KeyVector(now_held);
        watcher_key_event(state);
        return wake_at(t_ms);
    }
    int64_t next_wake_ms() const { return watcher_next_wake(state) / kMs; }
};

bool exempt(std::initializer_list<unsigned> keycodes, int count)
{
    return exempt_key_down(KeyVector(keycodes).keys, count);
}

constexpr int kAllBuilds[] = {kWatchPalmtrack, kWatchCovergesture, kWatchKbd, kWatchTap, kWatchGesture};

// Runs body once for every build, each on a new rig whose release delay is
// delay_tenths tenths of a second; a failure names the build.
template <typename Body>
void for_each_build(int32_t delay_tenths, Body body)
{
    for (int index : kAllBuilds) {
        WatcherRig rig(index);
        SCOPED_TRACE(rig.build.program);
        rig.set_delay(delay_tenths);
        body(rig);
    }
}

}  // namespace

// The process tests take each build's flag and delay from the table; this
// pins the table to the design's numbers, so that two builds' rows swapped
// or a quirk moved to another build fails here.
TEST(WatcherBuilds, EachBuildWritesItsOwnFlagAndReadsItsOwnDelay)
{
    struct Expected {
        const char *program, *flag;
        int flag_offset, delay_offset, exempt;
        bool wait;
    };
    const Expected rows[] = {
        {"kbdwatch-palmtrack", "DetectPalmtrackIntr", 544, 416, 15, true},
        {"kbdwatch-covergesture", "DetectCovergestureIntr", 540, 412, 15, true},
        {"kbdwatch-kbd", "DetectKbdIntr", 528, 404, 15, true},
        {"kbdwatch-tap", "DetectTapIntr", 532, 400, 15, false},
        {"kbdwatch-gesture", "DetectGestureIntr", 536, 408, 8, false},
    };
    for (int i = 0; i < kWatcherBuildCount; ++i) {
        const WatcherBuild &b = kWatcherBuilds[i];
        SCOPED_TRACE(rows[i].program);
        EXPECT_STREQ(b.program, rows[i].program);
        EXPECT_STREQ(b.flag[0].name, rows[i].flag);
        EXPECT_EQ(b.flag[0].offset, rows[i].flag_offset);
        EXPECT_EQ(b.delay_offset, rows[i].delay_offset);
        EXPECT_EQ(b.exempt_count, rows[i].exempt);
        EXPECT_EQ(b.wait_while_down, rows[i].wait);
    }
}

TEST(ExemptKeys, WholeByteEqualityQuirks)
{
    const int full = kExemptKeyCount, mods = kModifierExemptCount;
    // Each of the fifteen keys alone is exempt in the full set.
    for (unsigned k : {50u, 37u, 64u, 115u, 62u, 109u, 113u, 66u, 98u, 104u, 100u, 102u, 105u, 107u, 9u})
        EXPECT_TRUE(exempt({k}, full)) << k;
    // Only the modifiers are exempt in the gesture build's set.
    for (unsigned k : {50u, 37u, 64u, 115u, 62u, 109u, 113u, 66u})
        EXPECT_TRUE(exempt({k}, mods)) << k;
    for (unsigned k : {98u, 104u, 100u, 102u, 105u, 107u, 9u})
        EXPECT_FALSE(exempt({k}, mods)) << k;

    EXPECT_FALSE(exempt({38}, full));
    // Shift with a letter in another byte still leaves byte 6 at 0x04.
    EXPECT_TRUE(exempt({50, 38}, full));
    // Shift with keycode 52 makes byte 6 0x14: no longer exempt.
    EXPECT_FALSE(exempt({50, 52}, full));
    // Down with right Control shares byte 13 (0x21).
    EXPECT_FALSE(exempt({104, 109}, full));
    EXPECT_FALSE(exempt({}, full));
}

TEST(WatcherKeys, PressRaisesAtOnceAndReleaseLowersOneReleaseWaitLater)
{
    for_each_build(3, [](WatcherRig &rig) {
        ASSERT_TRUE(rig.wake_at(0));  // the reading at start-up: nothing down

        ASSERT_TRUE(rig.key_event_at(100, {38}));
        EXPECT_EQ(rig.flag(), 1);
        EXPECT_EQ(rig.state.release_wait_us, 300000);

        // Another key goes down while the first is held: the flag is not
        // written again. Builds that wait while a key is down read the
        // keyboard again only one release wait after the last reading.
        rig.set_flag(5);
        bool read = rig.key_event_at(150, {38, 39});
        EXPECT_EQ(read, !rig.build.wait_while_down);
        if (!read) {
            EXPECT_EQ(rig.next_wake_ms(), 400);
        }
        EXPECT_EQ(rig.flag(), 5);
        rig.set_flag(1);

        // Released at 200 ms. The release is read at once, or at the end of
        // the wait; the flag comes down one release wait after that reading.
        read = rig.key_event_at(200, {});
        int64_t release_read = 200;
        if (!read) {
            ASSERT_EQ(rig.next_wake_ms(), 400);
            ASSERT_TRUE(rig.wake_at(400));
            release_read = 400;
        }
        EXPECT_EQ(rig.next_wake_ms(), release_read + 300);
        EXPECT_FALSE(rig.wake_at(release_read + 299));
        EXPECT_EQ(rig.flag(), 1);
        rig.wake_at(release_read + 300);
        EXPECT_EQ(rig.flag(), 0);

        // Nothing is left to do: a quiet keyboard wakes nothing.
        EXPECT_EQ(watcher_next_wake(rig.state), kNever);
        rig.set_flag(7);
        EXPECT_TRUE(rig.key_event_at(2000, {}));
        EXPECT_EQ(rig.flag(), 7);
    });
}

TEST(WatcherKeys, HeldKeyCostsNoReadingsUntilTheNextKeyEvent)
{
    for_each_build(0, [](WatcherRig &rig) {
        rig.key_event_at(0, {50});  // Shift, an exempt key: nothing to wait for
        EXPECT_EQ(watcher_next_wake(rig.state), kNever);
        rig.key_event_at(10, {38});  // and, for the others, a letter
        // Held: the switch is looked at once a second, the keyboard not at all.
        int readings = rig.readings;
        for (int64_t t = rig.next_wake_ms(); t < 5000; t = rig.next_wake_ms()) {
            EXPECT_EQ(t % 1000, 10);
            rig.wake_at(t);
        }
        EXPECT_EQ(rig.readings, readings);
    });
}

TEST(WatcherKeys, KeyDuringTheReleaseWaitKeepsTheFlagUp)
{
    WatcherRig rig(kWatchTap);
    rig.set_delay(5);
    rig.key_event_at(0, {38});
    rig.key_event_at(80, {});
    rig.key_event_at(300, {39});
    rig.wake_at(580);  // where the first release wait would have ended
    EXPECT_EQ(rig.flag(), 1);
    rig.key_event_at(380, {});
    rig.wake_at(879);
    EXPECT_EQ(rig.flag(), 1);
    rig.wake_at(880);
    EXPECT_EQ(rig.flag(), 0);
}

TEST(WatcherKeys, NothingWrittenAtStartUpAndFirstIdleReadingDoesNotWait)
{
    for_each_build(20, [](WatcherRig &rig) {
        rig.set_flag(1);  // left by an earlier run
        EXPECT_TRUE(rig.wake_at(0));
        EXPECT_EQ(rig.flag(), 1);
        EXPECT_EQ(rig.state.lower_at_us, kNever);
        // An exempt key does not touch the flag either, since it was not raised here.
        rig.key_event_at(10, {50});
        EXPECT_EQ(rig.flag(), 1);
    });
}

TEST(WatcherKeys, ExemptKeyLowersAtOnceWithoutReleaseWait)
{
    for_each_build(10, [](WatcherRig &rig) {
        rig.key_event_at(0, {38});
        ASSERT_EQ(rig.flag(), 1);
        // Shift with a letter of another byte; read at once or after the wait.
        if (!rig.key_event_at(50, {50, 38}))
            rig.wake_at(rig.next_wake_ms());
        EXPECT_EQ(rig.flag(), 0);
        // The next idle reading starts no release wait.
        rig.key_event_at(2000, {});
        EXPECT_EQ(rig.state.lower_at_us, kNever);
    });
}

TEST(WatcherKeys, WhichKeysRaiseTheFlag)
{
    struct Case {
        std::initializer_list<unsigned> held;
        int raised_in_gesture, raised_in_others;
    };
    const Case cases[] = {
        {{50}, 0, 0},        // Shift alone
        {{50, 38}, 0, 0},    // Shift with a letter of another byte
        {{50, 52}, 1, 1},    // Shift with keycode 52, its own byte
        {{104, 109}, 1, 1},  // Down with right Control
        {{98}, 1, 0},       {{104}, 1, 0}, {{100}, 1, 0}, {{102}, 1, 0},  // arrows
        {{105}, 1, 0},      {{107}, 1, 0}, {{9}, 1, 0},                   // Page Down, Delete, Escape
        {{38}, 1, 1},
    };
    for (const Case &c : cases) {
        for (int index : kAllBuilds) {
            WatcherRig rig(index);
            rig.key_event_at(0, c.held);
            EXPECT_EQ(rig.flag(), index == kWatchGesture ? c.raised_in_gesture : c.raised_in_others)
                << rig.build.program << " first key " << *c.held.begin();
        }
    }
}

TEST(WatcherKeys, TapOverBeforeTheReadingStillRaisesAndComesDown)
{
    WatcherRig rig(kWatchGesture);
    rig.set_delay(1);
    uint8_t pressed[kKeyVectorBytes] = {};
    pressed[38 / 8] |= 1u << (38 % 8);
    KeyVector read{};  // the reading found the key already up
    EXPECT_TRUE(add_reported_presses(read.keys, pressed));
    EXPECT_EQ(read.keys[38 / 8], 1u << (38 % 8));
    EXPECT_EQ(pressed[38 / 8], 0);
    watcher_keys(rig.build, rig.state, &rig.block, 0, read.keys);
    watcher_key_event(rig.state);  // as the loop does for such a reading
    EXPECT_EQ(rig.flag(), 1);
    EXPECT_TRUE(rig.wake_at(1));
    rig.wake_at(101);
    EXPECT_EQ(rig.flag(), 0);

    // A press that is still down asks for no second reading; Shift held with
    // a tapped letter of another byte stays exempt.
    KeyVector shift{50};
    pressed[38 / 8] |= 1u << (38 % 8);
    KeyVector shift_and_letter{50, 38};
    EXPECT_TRUE(add_reported_presses(shift.keys, pressed));
    EXPECT_TRUE(exempt_key_down(shift.keys, kExemptKeyCount));
    pressed[50 / 8] |= 1u << (50 % 8);
    EXPECT_FALSE(add_reported_presses(shift_and_letter.keys, pressed));
}

TEST(WatcherKeys, SwitchedOffLowersTheFlagAndLeavesTheKeyboardAlone)
{
    for_each_build(5, [](WatcherRig &rig) {
        rig.key_event_at(0, {38});
        ASSERT_EQ(rig.flag(), 1);

        rig.block.DisableWhenKeyCheckBox = 0;
        rig.wake_at(rig.next_wake_ms());  // the once-a-second look while the flag is up
        EXPECT_EQ(rig.flag(), 0);
        const int64_t off_at = rig.now / kMs;
        // Nothing to wake for until a key goes down or up.
        EXPECT_EQ(watcher_next_wake(rig.state), kNever);

        // Keys go unread while switched off; each only looks at the switch.
        int readings = rig.readings;
        EXPECT_FALSE(rig.key_event_at(off_at + 10, {39}));
        EXPECT_FALSE(rig.key_event_at(off_at + 20, {}));
        EXPECT_EQ(rig.readings, readings);
        EXPECT_EQ(watcher_next_wake(rig.state), kNever);

        // Back on: read at the next key event, and the kept release wait
        // starts (the flag is down already, so nothing is written).
        rig.block.DisableWhenKeyCheckBox = 1;
        EXPECT_FALSE(rig.wake_at(off_at + 5000)) << "no key event, no look";
        EXPECT_TRUE(rig.key_event_at(off_at + 5010, {}));
        EXPECT_EQ(rig.state.release_wait_us, 500000);
        rig.set_flag(3);
        rig.wake_at(rig.next_wake_ms());
        EXPECT_EQ(rig.flag(), 3);
    });
}

TEST(WatcherKeys, DelayFieldOutsideItsRangeIsBounded)
{
    EXPECT_EQ(release_wait_for(0), 0);
    EXPECT_EQ(release_wait_for(20), 2000000);
    EXPECT_EQ(release_wait_for(-5), 0);
    EXPECT_EQ(release_wait_for(2147483647), 2000000);

    WatcherRig rig(kWatchPalmtrack);
    rig.set_delay(-100);
    rig.key_event_at(0, {38});
    EXPECT_TRUE(rig.key_event_at(1, {}));  // no wait while down
    EXPECT_EQ(rig.flag(), 0);              // and none after the release
}

TEST(WatcherKeys, RecreatedBlockGetsTheFlagAnew)
{
    WatcherRig rig(kWatchKbd);
    rig.key_event_at(0, {38});
    TouchpadSharedBlock fresh = {};
    fresh.DisableWhenKeyCheckBox = 1;
    watcher_block_replaced(rig.build, rig.state, &rig.block);
    EXPECT_EQ(rig.flag(), 0);  // lowered in the old block
    // The key still down is read at once and raises the flag in the new block.
    rig.now = 10 * kMs;
    ASSERT_TRUE(watcher_wake(rig.build, rig.state, &fresh, rig.now));
    watcher_keys(rig.build, rig.state, &fresh, rig.now, KeyVector({38}).keys);
    EXPECT_EQ(block_get_int(&fresh, rig.build.flag[0].offset), 1);
}
