// The five watcher programs against a real X server and a real block.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstddef>
#include <memory>
#include <string>

#include "kbd_helpers.h"
#include "support.h"
#include "touchpad_block.h"
#include "watchers.h"

namespace {

constexpr int kGesture = kWatchGesture;
constexpr int kTap = kWatchTap;

// A block, an X server and a typist; watchers are started per test.
class WatcherX : public WatcherTest {
protected:
    void SetUp() override
    {
        WatcherTest::SetUp();
        x_ = std::make_unique<Xvfb>();
        typist_ = std::make_unique<KeyTypist>(x_->display());
    }
    void TearDown() override { typist_.reset(); }

    std::unique_ptr<Background> start(int index) { return WatcherTest::start(index, x_->display()); }
    bool flag_becomes(int index, int32_t v, double timeout_s = 10.0)
    {
        return wait_until([&] { return flag(index) == v; }, timeout_s);
    }

    std::unique_ptr<Xvfb> x_;
    std::unique_ptr<KeyTypist> typist_;
};

}  // namespace

TEST_F(WatcherX, EachRaisesOnlyItsOwnFlagAndLowersItAfterTheDelay)
{
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE(kWatchers[index].program);
        set_block_field(block_, kWatchers[index].delay, 5);  // 0.5 s
        auto watcher = start(index);
        typist_->press(38);
        ASSERT_TRUE(flag_becomes(index, 1));
        typist_->release(38);
        double released = monotonic_s();
        ASSERT_TRUE(flag_becomes(index, 0));
        // Never earlier than one release wait after the key came up (less a
        // margin for the poll that saw it down coming just before the release).
        EXPECT_GE(monotonic_s() - released, 0.3);
        for (int other = 0; other < 5; ++other) {
            if (other == index)
                continue;
            EXPECT_EQ(flag(other), 0) << kWatchers[other].program;
        }
        EXPECT_EQ(watcher->stop(SIGTERM), 128 + SIGTERM);
        set_block_field(block_, kWatchers[index].delay, 0);
    }
}

TEST_F(WatcherX, ShiftQuirksOfTheWholeByteTest)
{
    auto watcher = start(kTap);
    // Shift alone, then Shift with keycode 38 (byte 4): byte 6 is still 0x04.
    typist_->press(50);
    typist_->press(38);
    EXPECT_TRUE(holds_for([&] { return flag(kTap) == 0; }, 2.5));
    // Keycode 52 shares Shift's byte: 0x14 matches no test.
    typist_->press(52);
    EXPECT_TRUE(flag_becomes(kTap, 1));
    typist_->release(52);
    // Back to an exempt state: the flag comes down at once.
    EXPECT_TRUE(flag_becomes(kTap, 0));
}

TEST_F(WatcherX, DownWithRightControlIsTyping)
{
    auto watcher = start(kTap);
    typist_->press(109);
    typist_->press(104);
    EXPECT_TRUE(flag_becomes(kTap, 1));
}

TEST_F(WatcherX, ArrowsAndEscapeRaiseOnlyTheGestureFlag)
{
    std::unique_ptr<Background> watchers[5];
    for (int i = 0; i < 5; ++i)
        watchers[i] = start(i);
    for (unsigned key : {98u, 9u}) {
        SCOPED_TRACE(key);
        typist_->press(key);
        ASSERT_TRUE(flag_becomes(kGesture, 1));
        // Long enough for the others to poll at their slow rate too.
        EXPECT_TRUE(holds_for([&] { return flag(0) + flag(1) + flag(2) + flag(3) == 0; }, 2.5));
        typist_->release(key);
        ASSERT_TRUE(flag_becomes(kGesture, 0));
    }
}

TEST_F(WatcherX, MasterSwitchLowersARaisedFlag)
{
    auto watcher = start(kTap);
    typist_->press(38);
    ASSERT_TRUE(flag_becomes(kTap, 1));
    set_block_field(block_, offsetof(TouchpadSharedBlock, DisableWhenKeyCheckBox), 0);
    EXPECT_TRUE(flag_becomes(kTap, 0));
    // Switched off, typing is not watched.
    EXPECT_TRUE(holds_for([&] { return flag(kTap) == 0; }, 1.5));
}

TEST_F(WatcherX, FlagLeftByAnEarlierRunIsNotWrittenAtStartUp)
{
    set_block_field(block_, kWatchers[kTap].flag, 1);
    auto watcher = start(kTap);
    EXPECT_TRUE(holds_for([&] { return flag(kTap) == 1; }, 1.5));
    EXPECT_TRUE(watcher->running());
    // The next key press and release brings it down.
    // (held longer than the one-second polls of the slow phase).
    typist_->press(39);
    sleep_ms(1500);
    typist_->release(39);
    EXPECT_TRUE(flag_becomes(kTap, 0));
}

TEST_F(WatcherX, LostDisplayEndsTheWatcherWithItsFlagDown)
{
    auto watcher = start(kTap);
    typist_->press(38);
    ASSERT_TRUE(flag_becomes(kTap, 1));
    typist_.reset();
    x_.reset();
    EXPECT_EQ(watcher->wait(10.0), 1);
    EXPECT_EQ(flag(kTap), 0);
}

TEST(WatcherStart, ExitStatuses)
{
    enter_private_ipc();
    for (const Watcher &w : kWatchers) {
        // No display: status 2.
        RunResult r = run_program({w.program}, RunOptions{"", {"DISPLAY=:9999"}, "", 20.0});
        EXPECT_EQ(r.status, 2) << w.program;
        EXPECT_EQ(r.err, "Can't open display.\n") << w.program;
    }
    Xvfb x;
    for (const Watcher &w : kWatchers) {
        // A display but no block: status 1.
        RunResult r = run_program({w.program}, RunOptions{"", {x.env()}, "", 20.0});
        EXPECT_EQ(r.status, 1) << w.program;
        EXPECT_EQ(r.err, "Can't access shared memory area. SHMConfig disabled?\n") << w.program;
    }
    tpsim({"create", "--size", "100"});
    RunResult r = run_program({"kbdwatch-kbd"}, RunOptions{"", {x.env()}, "", 20.0});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Incorrect size of shared memory area. Incompatible driver version?\n");
}
