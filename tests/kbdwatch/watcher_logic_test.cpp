// The watcher's cycle with a scripted keyboard and recorded sleeps.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "touchpad_block.h"
#include "watcher_logic.h"

namespace {

// A keyboard that holds one key vector until the test changes it, and a
// record of every sleep.
struct FakeKeyboard {
    uint8_t keys[kKeyVectorBytes] = {};
    int queries = 0;
    int64_t sleeps[64] = {};
    int sleep_count = 0;
    int64_t slept_total = 0;

    void hold(std::initializer_list<unsigned> keycodes)
    {
        memset(keys, 0, sizeof keys);
        for (unsigned k : keycodes)
            keys[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }
    void clear_sleeps()
    {
        sleep_count = 0;
        slept_total = 0;
    }
};

void fake_query(void *ctx, uint8_t keys[kKeyVectorBytes])
{
    FakeKeyboard *k = static_cast<FakeKeyboard *>(ctx);
    ++k->queries;
    memcpy(keys, k->keys, kKeyVectorBytes);
}

void fake_sleep(void *ctx, int64_t us)
{
    FakeKeyboard *k = static_cast<FakeKeyboard *>(ctx);
    if (k->sleep_count < 64)
        k->sleeps[k->sleep_count] = us;
    ++k->sleep_count;
    k->slept_total += us;
}

struct WatcherRig {
    const WatcherBuild &build;
    FakeKeyboard kbd;
    TouchpadSharedBlock block = {};
    WatcherState state;
    WatcherPlatform platform;

    explicit WatcherRig(int index) : build(kWatcherBuilds[index]), platform{&kbd, fake_query, fake_sleep}
    {
        block.DisableWhenKeyCheckBox = 1;
        watcher_init(state);
    }
    int32_t flag() const { return block_get_int(&block, build.flag[0].offset); }
    void set_delay(int32_t tenths) { block_set_int(&block, build.delay_offset, tenths); }
    void cycle() { watcher_cycle(build, state, &block, platform); }
};

bool exempt(std::initializer_list<unsigned> keycodes, int count)
{
    FakeKeyboard k;
    k.hold(keycodes);
    return exempt_key_down(k.keys, count);
}

constexpr int kAllBuilds[] = {kWatchPalmtrack, kWatchCovergesture, kWatchKbd, kWatchTap, kWatchGesture};

}  // namespace

TEST(WatcherBuilds, EachBuildWritesItsOwnFlagAndReadsItsOwnDelay)
{
    struct Expected {
        const char *program, *flag;
        int flag_offset, delay_offset, exempt, off_sleeps;
        bool wait;
    };
    const Expected rows[] = {
        {"kbdwatch-palmtrack", "DetectPalmtrackIntr", 544, 416, 15, 2, true},
        {"kbdwatch-covergesture", "DetectCovergestureIntr", 540, 412, 15, 1, true},
        {"kbdwatch-kbd", "DetectKbdIntr", 528, 404, 15, 1, true},
        {"kbdwatch-tap", "DetectTapIntr", 532, 400, 15, 1, false},
        {"kbdwatch-gesture", "DetectGestureIntr", 536, 408, 8, 1, false},
    };
    for (int i = 0; i < kWatcherBuildCount; ++i) {
        const WatcherBuild &b = kWatcherBuilds[i];
        SCOPED_TRACE(rows[i].program);
        EXPECT_STREQ(b.program, rows[i].program);
        EXPECT_STREQ(b.flag[0].name, rows[i].flag);
        EXPECT_EQ(b.flag[0].offset, rows[i].flag_offset);
        EXPECT_EQ(b.flag[0].type, 1);
        EXPECT_EQ(b.flag[0].minimum, 0.0);
        EXPECT_EQ(b.flag[0].maximum, 1.0);
        EXPECT_EQ(b.flag[1].name, nullptr);
        EXPECT_EQ(b.flag[1].offset, 0);
        EXPECT_EQ(b.delay_offset, rows[i].delay_offset);
        EXPECT_EQ(b.exempt_count, rows[i].exempt);
        EXPECT_EQ(b.wait_while_down, rows[i].wait);
        EXPECT_EQ(b.off_sleeps, rows[i].off_sleeps);
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

TEST(WatcherCycle, OrdinaryKeyRaisesOnceAndReleaseLowersAfterTheDelay)
{
    for (int index : kAllBuilds) {
        WatcherRig rig(index);
        SCOPED_TRACE(rig.build.program);
        rig.set_delay(3);
        rig.kbd.hold({38});
        rig.cycle();
        EXPECT_EQ(rig.flag(), 1);
        EXPECT_TRUE(rig.state.raised);
        EXPECT_EQ(rig.state.release_wait_us, 300000);
        // Builds that wait while a key is down sleep one release wait per poll;
        // the others poll again at once.
        EXPECT_EQ(rig.kbd.slept_total, rig.build.wait_while_down ? 300000 : 0);

        // Still held: the flag is not written again.
        block_set_int(&rig.block, rig.build.flag[0].offset, 5);
        rig.cycle();
        EXPECT_EQ(rig.flag(), 5);
        block_set_int(&rig.block, rig.build.flag[0].offset, 1);

        rig.kbd.hold({});
        rig.kbd.clear_sleeps();
        rig.cycle();
        EXPECT_EQ(rig.flag(), 0);
        ASSERT_EQ(rig.kbd.sleep_count, 2);
        EXPECT_EQ(rig.kbd.sleeps[0], 10);
        EXPECT_EQ(rig.kbd.sleeps[1], 300000);

        // Later idle polls only take the short sleep and write nothing.
        block_set_int(&rig.block, rig.build.flag[0].offset, 7);
        rig.kbd.clear_sleeps();
        rig.cycle();
        EXPECT_EQ(rig.kbd.slept_total, 10);
        EXPECT_EQ(rig.flag(), 7);
    }
}

TEST(WatcherCycle, NothingWrittenAtStartUpAndFirstIdlePollDoesNotWait)
{
    for (int index : kAllBuilds) {
        WatcherRig rig(index);
        SCOPED_TRACE(rig.build.program);
        rig.set_delay(20);
        block_set_int(&rig.block, rig.build.flag[0].offset, 1);  // left by an earlier run
        for (int i = 0; i < 5; ++i)
            rig.cycle();
        EXPECT_EQ(rig.flag(), 1);
        EXPECT_EQ(rig.kbd.slept_total, 5 * 10);
        // An exempt key does not touch the flag either, since it was not raised here.
        rig.kbd.hold({50});
        rig.cycle();
        EXPECT_EQ(rig.flag(), 1);
    }
}

TEST(WatcherCycle, ExemptKeyLowersAtOnceWithoutWaiting)
{
    WatcherRig rig(kWatchKbd);
    rig.set_delay(10);
    rig.kbd.hold({38});
    rig.cycle();
    ASSERT_EQ(rig.flag(), 1);
    rig.kbd.hold({50, 38});  // Shift with a letter of another byte
    rig.kbd.clear_sleeps();
    rig.cycle();
    EXPECT_EQ(rig.flag(), 0);
    EXPECT_EQ(rig.kbd.sleep_count, 0);
    EXPECT_EQ(rig.state.idle_polls, 1);
    // The next idle poll is the second: no release wait after an exempt poll.
    rig.kbd.hold({});
    rig.cycle();
    EXPECT_EQ(rig.kbd.slept_total, 10);
}

TEST(WatcherCycle, ArrowsAndEscapeCountOnlyForTheGestureWatcher)
{
    for (unsigned key : {98u, 104u, 100u, 102u, 105u, 107u, 9u}) {
        for (int index : kAllBuilds) {
            WatcherRig rig(index);
            rig.kbd.hold({key});
            rig.cycle();
            EXPECT_EQ(rig.flag(), index == kWatchGesture ? 1 : 0) << rig.build.program << " key " << key;
        }
    }
}

TEST(WatcherCycle, SwitchedOffLowersTheFlagAndOnlySleeps)
{
    for (int index : kAllBuilds) {
        WatcherRig rig(index);
        SCOPED_TRACE(rig.build.program);
        rig.kbd.hold({38});
        rig.cycle();
        ASSERT_EQ(rig.flag(), 1);

        // The switch goes off; the sleep callback turns it back on after the
        // first spell so the cycle can end.
        struct Ctx {
            FakeKeyboard *kbd;
            TouchpadSharedBlock *block;
        } ctx{&rig.kbd, &rig.block};
        WatcherPlatform p = {&ctx,
                             [](void *c, uint8_t keys[kKeyVectorBytes]) {
                                 fake_query(static_cast<Ctx *>(c)->kbd, keys);
                             },
                             [](void *c, int64_t us) {
                                 Ctx *x = static_cast<Ctx *>(c);
                                 fake_sleep(x->kbd, us);
                                 if (x->kbd->sleep_count == 2)
                                     x->block->DisableWhenKeyCheckBox = 1;
                             }};
        rig.block.DisableWhenKeyCheckBox = 0;
        rig.kbd.clear_sleeps();
        int queries = rig.kbd.queries;
        rig.kbd.hold({});
        watcher_cycle(rig.build, rig.state, &rig.block, p);
        EXPECT_EQ(rig.flag(), 0);
        // 1 s sleeps: two per spell for palmtrack, one for the others; the
        // keyboard is queried only once the switch is back on.
        EXPECT_EQ(rig.kbd.sleeps[0], 1000000);
        EXPECT_EQ(rig.kbd.sleeps[1], 1000000);
        EXPECT_EQ(rig.kbd.queries, queries + 1);
    }
}

TEST(WatcherCycle, FastPhaseEndsAfterTenThousandIdlePolls)
{
    WatcherRig rig(kWatchTap);
    rig.kbd.hold({38});
    rig.cycle();
    rig.kbd.hold({});
    for (int i = 0; i < 10000; ++i)
        rig.cycle();
    EXPECT_EQ(rig.state.idle_polls, 10000);
    rig.kbd.clear_sleeps();
    rig.cycle();
    EXPECT_EQ(rig.kbd.sleep_count, 1);
    EXPECT_EQ(rig.kbd.sleeps[0], 1000000);
    EXPECT_EQ(rig.state.idle_polls, 10000);
    // The next key press starts a new fast phase.
    rig.kbd.hold({39});
    rig.cycle();
    EXPECT_EQ(rig.state.idle_polls, 0);
}

TEST(WatcherCycle, DelayFieldOutsideItsRangeIsBounded)
{
    EXPECT_EQ(release_wait_for(0), 0);
    EXPECT_EQ(release_wait_for(20), 2000000);
    EXPECT_EQ(release_wait_for(-5), 0);
    EXPECT_EQ(release_wait_for(2147483647), 2000000);

    WatcherRig rig(kWatchPalmtrack);
    rig.set_delay(-100);
    rig.kbd.hold({38});
    rig.cycle();
    EXPECT_EQ(rig.kbd.slept_total, 0);
}
