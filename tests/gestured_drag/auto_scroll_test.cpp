// Auto-scroll repetitions, the held arrow key and the end step, with a fake
// clock: a finger touching the pad is scripted at a fake time.
#include <gtest/gtest.h>

#include "auto_scroll.h"
#include "engine_state.h"
#include "fake_engine.h"

namespace {

using Log = std::vector<std::string>;

const char kClick4[] = "/usr/local/bin/xte 'mouseclick 4'";
const char kClick5[] = "/usr/local/bin/xte 'mouseclick 5'";
const char kClick6[] = "/usr/local/bin/xte 'mouseclick 6'";
const char kClick7[] = "/usr/local/bin/xte 'mouseclick 7'";

class AutoScrollTest : public ::testing::Test {
protected:
    FakeEngine fake;
    AutoScroll scroll{};

    void SetUp() override
    {
        auto_scroll_start(engine, &scroll);
        engine.settings.AutoScrollCheckBox = 1;
        engine.scroll.scroll_active = 1;  // the last action was a scroll step
    }
    // What the recogniser does when a finger touches during auto-scroll.
    static void finger_touches()
    {
        engine.scroll.scroll_finger_count = 1;
        engine.scroll.scroll_active = 0;
        engine.scroll.autoscroll_running = 0;
    }
    static bool no_direction_left()
    {
        const AutoScrollWords &s = engine.scroll;
        return s.scroll_up_active == 0 && s.scroll_down_active == 0 && s.scroll_left_active == 0 &&
               s.scroll_right_active == 0 && s.scroll_left_by_key == 0 && s.scroll_right_by_key == 0;
    }
};

TEST_F(AutoScrollTest, RefusedStartOnlyClearsScrollActive)
{
    engine.settings.AutoScrollCheckBox = 0;
    engine.scroll.scroll_down_active = 1;
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 0);
    EXPECT_EQ(engine.scroll.scroll_active, 0);
    EXPECT_TRUE(fake.log().empty());
    EXPECT_EQ(fake.now(), 0);
    EXPECT_EQ(engine.scroll.scroll_down_active, 1) << "a refused start is no end step";

    engine.settings.AutoScrollCheckBox = 1;
    engine.scroll.scroll_active = 1;
    engine.scroll.scroll_finger_count = 2;  // fingers still on the pad
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 0);
    EXPECT_EQ(engine.scroll.scroll_active, 0);
}

TEST_F(AutoScrollTest, FlickUpClicksWheelUpEvery25msUntilAFingerTouches)
{
    engine.scroll.scroll_up_active = 1;
    fake.at(110, finger_touches);
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 5);  // at 0, 25, 50, 75, 100
    EXPECT_EQ(fake.log(), Log(5, kClick4));
    EXPECT_EQ(fake.now(), 125);
    EXPECT_TRUE(no_direction_left());
}

TEST_F(AutoScrollTest, AtLeastOneRepetitionRunsAndRunningStaysSetWhenSwitchedOff)
{
    engine.scroll.scroll_down_active = 1;
    fake.after_sleeps(1, [] { engine.settings.AutoScrollCheckBox = 0; });
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 1);
    EXPECT_EQ(fake.log(), Log{kClick5});
    EXPECT_EQ(engine.scroll.autoscroll_running, 1) << "only the recogniser clears it, at the next touch";
    EXPECT_TRUE(no_direction_left());
}

TEST_F(AutoScrollTest, DiagonalFlickScrollsBothWaysEachRepetition)
{
    engine.scroll.scroll_down_active = 1;
    engine.scroll.scroll_right_active = 1;
    fake.after_sleeps(2, finger_touches);
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 2);
    EXPECT_EQ(fake.log(), (Log{kClick5, kClick7, kClick5, kClick7}));
}

TEST_F(AutoScrollTest, PdfViewerHoldsTheArrowKeyForTheWholeRun)
{
    engine.scroll.scroll_left_active = 1;
    engine.scroll.scroll_left_by_key = 1;
    fake.after_sleeps(3, finger_touches);
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 3);
    EXPECT_EQ(fake.log(), (Log{"/usr/local/bin/xte  'key Escape'", "/usr/local/bin/xte  'keydown Left'",
                               kClick6, kClick6, "/usr/local/bin/xte  'keyup Left'"}));
    EXPECT_EQ(scroll.held, HeldKey::kNone);
    EXPECT_TRUE(no_direction_left());

    // The next run starts afresh: nothing is held, so nothing is released.
    engine.scroll.scroll_finger_count = 0;
    engine.scroll.scroll_active = 1;
    engine.scroll.scroll_right_active = 1;
    engine.scroll.scroll_right_by_key = 1;
    fake.after_sleeps(4, finger_touches);
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 1);
    Log log = fake.log();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[5], "/usr/local/bin/xte  'key Escape'");
    EXPECT_EQ(log[6], "/usr/local/bin/xte  'keydown Right'");
    EXPECT_EQ(log[7], "/usr/local/bin/xte  'keyup Right'");
}

TEST_F(AutoScrollTest, WithoutDirectionFlagsItRepeatsSilently)
{
    // A scroll step in a window that takes no clicks leaves no direction:
    // the run still lasts until the touch, sending nothing.
    fake.at(60, finger_touches);
    EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), 3);
    EXPECT_TRUE(fake.log().empty());
}

TEST_F(AutoScrollTest, WaitsForQueuedScrollStepsBeforeDeciding)
{
    // The flick's last steps are still queued for the action thread, which
    // is inside an entry: what they leave in scroll_active decides.
    struct Case {
        int32_t left_by_steps;  // scroll_active once the steps are carried out
        bool touch_first;       // a finger touches before they are
        int repetitions;
    } cases[] = {{1, false, 2}, {0, false, 0}, {1, true, 0}};
    for (const Case &c : cases) {
        fake.restart();
        auto_scroll_start(engine, &scroll);
        engine.settings.AutoScrollCheckBox = 1;
        engine.scroll.scroll_down_active = 1;
        engine.queue.entries_queued = 3;
        engine.queue.entries_done = 1;
        if (c.touch_first)
            fake.after_sleeps(2, finger_touches);
        const int32_t left = c.left_by_steps;
        fake.after_sleeps(5, [left] {
            engine.queue.entries_done = 3;
            engine.scroll.scroll_active = left;
        });
        fake.after_sleeps(7, finger_touches);
        EXPECT_EQ(auto_scroll_wake(fake_platform, engine, &scroll), c.repetitions)
            << "steps leave " << c.left_by_steps << ", touch first " << c.touch_first;
    }
}

}  // namespace
