// End to end: tap-and-drag with each release style, also across a step of
// the wall clock, auto-scroll after a flick (also where /usr/local/bin/xte
// is missing).
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include "desk.h"
#include "wall_clock_step.h"

namespace {

using Lines = std::vector<std::string>;

double ms_of(Desk &desk, const std::string &line)
{
    for (const XEventSeen &e : desk.events())
        if (e.str() == line)
            return e.ms;
    return -1;
}

TEST(TapAndDrag, LiftReleaseStyleHoldsButtonOneUntilTheFingerLifts)
{
    Desk desk;  // LiftReleaseRadioButton 1
    desk.replay("drag_lift");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"ButtonPress 1", "ButtonRelease 1"}));
    EXPECT_TRUE(desk.wait_for_field("DragHoldButton", "0"));
    EXPECT_TRUE(desk.wait_for_field("TapButton1", "1")) << "tapping given back to the driver";
}

TEST(TapAndDrag, TapAgainStyleEndsTheDragWithAFurtherTap)
{
    Desk desk({"LiftReleaseRadioButton=0", "TapAgainRadioButton=1"});
    desk.replay("drag_tap_again");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"ButtonPress 1", "ButtonRelease 1"}));
    // The finger lifted 300 ms into the drag; the release came with the tap
    // after that, not with the lift.
    EXPECT_GE(ms_of(desk, "ButtonRelease 1") - ms_of(desk, "ButtonPress 1"), 600);
    EXPECT_TRUE(desk.wait_for_field("DragHoldButton", "0"));
}

TEST(TapAndDrag, TapReleaseStyleWaitsForTheFingerThenTimesOut)
{
    Desk desk({"LiftReleaseRadioButton=0", "TapReleaseRadioButton=1", "DragSlider=1"});
    desk.replay("drag_long");
    ASSERT_TRUE(desk.wait_for("ButtonPress 1"));
    EXPECT_TRUE(desk.wait_for_field("DragTimeoutRelease", "0"));
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"ButtonPress 1", "ButtonRelease 1"}));
    // 300 ms of dragging, then DragSlider (1 s) of waiting for the finger.
    EXPECT_GE(ms_of(desk, "ButtonRelease 1") - ms_of(desk, "ButtonPress 1"), 1000);
    EXPECT_TRUE(desk.wait_for_field("DragTimeoutRelease", "1"));
    EXPECT_TRUE(desk.wait_for_field("DragHoldButton", "0"));
}

// The time of day stepped 20 s back or ahead while the drag waits for the
// finger to come back: the wait still ends the drag about DragSlider after
// the lift, neither 20 s later nor at once.
TEST(TapAndDrag, AStepOfTheWallClockNeitherStretchesNorCutsTheWaitForTheFinger)
{
    for (int step_s : {-20, 20}) {
        SCOPED_TRACE(step_s);
        WallClockStep clock;
        Desk desk({"LiftReleaseRadioButton=0", "TapReleaseRadioButton=1", "DragSlider=1"}, "", {},
                  DeskExtras{"", clock.env()});
        desk.replay("drag_long");  // 300 ms of dragging, then the lift
        ASSERT_TRUE(desk.wait_for("ButtonPress 1"));
        sleep_ms(300);  // into the second that the drag waits for the finger
        clock.step(step_s);
        EXPECT_TRUE(desk.wait_for("ButtonRelease 1", 1, 8.0));
        const double held_ms = ms_of(desk, "ButtonRelease 1") - ms_of(desk, "ButtonPress 1");
        EXPECT_GE(held_ms, 1000) << "the drag, then the whole wait";
        EXPECT_LT(held_ms, 6000) << "the wait, not the step";
        EXPECT_TRUE(desk.wait_for_field("DragHoldButton", "0"));
    }
}

TEST(AutoScroll, FlickKeepsScrollingUntilAFingerTouches)
{
    Desk desk({"AutoScrollCheckBox=1"});
    desk.replay("flick_down");  // 8 scroll steps, lifted while moving
    ASSERT_TRUE(desk.wait_for("ButtonRelease 5", 8 + 5)) << "auto-scroll repeats the wheel";
    desk.fingers({"f=1", "x=3000", "y=3000", "z=40"});
    desk.settle(300);
    const int stopped_at = desk.count("ButtonPress 5");
    desk.fingers({"f=0"});
    desk.settle(500);
    EXPECT_EQ(desk.count("ButtonPress 5"), stopped_at) << "the touch stopped it";
    for (const std::string &line : desk.lines())
        EXPECT_TRUE(line == "ButtonPress 5" || line == "ButtonRelease 5") << line;
    EXPECT_EQ(desk.count("ButtonRelease 5"), stopped_at);
}

TEST(AutoScroll, OffInTheSettingsAFlickStopsWithItsSteps)
{
    Desk desk({"AutoScrollCheckBox=0"});
    desk.replay("flick_down");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 5", 8));
    desk.settle(500);
    EXPECT_EQ(desk.count("ButtonPress 5"), 8);
}

TEST(AutoScroll, PdfViewerHoldsTheArrowKeyAndLetsGoAtTheTouch)
{
    Desk desk({"AutoScrollCheckBox=1"}, "manual.pdf - Adobe Reader");
    desk.replay("flick_left");
    // Each of the 8 steps is a Left key through xte; then auto-scroll holds
    // Left down and clicks the sideways wheel until a finger touches.
    ASSERT_TRUE(desk.wait_for("ButtonRelease 6", 3));
    desk.fingers({"f=1", "x=3000", "y=3000", "z=40"});
    desk.fingers({"f=0"});
    ASSERT_TRUE(desk.wait_for("KeyRelease Left", 9));
    desk.settle();
    Lines lines = desk.lines();
    Lines step{"KeyPress Escape", "KeyRelease Escape", "KeyPress Left", "KeyRelease Left"};
    Lines expected;
    for (int i = 0; i < 8; ++i)
        expected.insert(expected.end(), step.begin(), step.end());
    expected.insert(expected.end(), {"KeyPress Escape", "KeyRelease Escape", "KeyPress Left"});
    ASSERT_GT(lines.size(), expected.size() + 1);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(lines.back(), "KeyRelease Left") << "the held key is let go exactly once, at the end";
    // While Left is held the server may repeat its press (auto-repeat starts
    // after 660 ms, which a loaded machine reaches before the touch).
    for (size_t i = expected.size(); i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i] == "ButtonPress 6" || lines[i] == "ButtonRelease 6" ||
                    lines[i] == "KeyPress Left")
            << lines[i];
    EXPECT_EQ(desk.count("KeyRelease Left"), 9);
}

// A clean system after the package's installation: /usr/local/bin holds
// nothing (an empty folder over it, in this test process's own mount
// namespace, so other tests keep the machine's link).
TEST(AutoScroll, WithoutLocalXteAFlickStillGivesAllItsClicks)
{
    ASSERT_EQ(mount("tmpfs", "/usr/local/bin", "tmpfs", MS_NOSUID | MS_NODEV, "mode=755"), 0);
    UnmountAtEnd unmount("/usr/local/bin");
    ASSERT_NE(access("/usr/local/bin/xte", F_OK), 0);
    Desk desk({"AutoScrollCheckBox=1"}, "", {"--debug"});
    desk.replay("flick_down");  // 8 scroll steps, lifted while moving
    ASSERT_TRUE(desk.wait_for("ButtonRelease 5", 8 + 5)) << desk.engine().err();
    desk.fingers({"f=1", "x=3000", "y=3000", "z=40"});
    desk.fingers({"f=0"});
    desk.settle();
    EXPECT_EQ(desk.engine().err().find("not found"), std::string::npos) << desk.engine().err();
    EXPECT_NE(desk.engine().err().find("command: /usr/bin/xte 'mouseclick 5'"), std::string::npos)
        << desk.engine().err();
    EXPECT_EQ(desk.count("ButtonPress 5"), desk.count("ButtonRelease 5"));
}

}  // namespace
