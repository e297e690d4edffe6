// Touch tracking, remapped buttons, taps, the drag hand-off and the lift-off
// decisions of the recogniser, driven sample by sample.
#include <gtest/gtest.h>

#include "pad.h"

namespace {

class TouchTest : public ::testing::Test {
protected:
    void SetUp() override { pad.settings.TappingCheckBox = 1; }
    Pad pad;
};

TEST_F(TouchTest, StillOneFingerTouchHandsTapToDragLogic)
{
    pad.down1(3000, 2500);
    pad.move1(4, -4, 3);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{drag_post()});
    EXPECT_EQ(pad.engine.drag.tap_request.load(), 1);
    EXPECT_EQ(pad.engine.drag.tap_state.load(), TapState::kHandedOver);
    EXPECT_EQ(pad.engine.drag.tap_pending.load(), 1);
    EXPECT_EQ(pad.state.touch.tap_origin_x, 3000);
    EXPECT_EQ(pad.state.touch.tap_origin_y, 2500);
}

TEST_F(TouchTest, OneFingerTapVetoes)
{
    struct Case {
        const char *what;
        void (*setup)(Pad &);
    } cases[] = {
        {"typing flag", [](Pad &p) { p.settings.DetectTapIntr = 1; }},
        {"KT-310 typing flag", [](Pad &p) { p.settings.DetectKT_310TapIntr = 1; }},
        {"tapping off", [](Pad &p) { p.settings.TappingCheckBox = 0; }},
        {"left button at lift", [](Pad &p) { p.buttons(1, 0, 0); }},
        {"right button at lift", [](Pad &p) { p.buttons(0, 1, 0); }},
    };
    for (const Case &c : cases) {
        Pad p;
        p.settings.TappingCheckBox = 1;
        p.down1(3000, 2500);
        p.hold(2);
        c.setup(p);
        p.lift();
        EXPECT_EQ(p.take(), Events{}) << c.what;
        EXPECT_EQ(p.engine.drag.tap_request.load(), 0) << c.what;
        EXPECT_EQ(p.engine.drag.tap_state.load(), TapState::kIdle) << c.what;
    }
}

TEST_F(TouchTest, MovementBeyond32MakesNoTap)
{
    pad.down1(3000, 2500);
    pad.move1(32, 0, 1);  // exactly 32 away: still a tap
    pad.lift();
    EXPECT_EQ(pad.take(), Events{drag_post()});

    Pad moved;
    moved.settings.TappingCheckBox = 1;
    moved.down1(3000, 2500);
    moved.move1(0, -33, 1);
    moved.lift();
    EXPECT_EQ(moved.take(), Events{});
}

TEST_F(TouchTest, RetouchNearTapIsReportedAndSecondTapMarksIt)
{
    pad.down1(3000, 2500);
    pad.lift();
    pad.take();
    pad.down1(3599, 1901);  // 599 away in both axes: near
    EXPECT_EQ(pad.engine.drag.retouch_near_tap.load(), 1);
    EXPECT_EQ(pad.engine.drag.retouch_seen.load(), 1);
    pad.lift();
    // The tap is already pending: no second hand-off, the state says
    // "tap followed by a touch near it".
    EXPECT_EQ(pad.take(), Events{});
    EXPECT_EQ(pad.engine.drag.tap_state.load(), TapState::kRetouched);

    Pad far;
    far.settings.TappingCheckBox = 1;
    far.down1(3000, 2500);
    far.lift();
    far.down1(3600, 2500);
    EXPECT_EQ(far.engine.drag.retouch_near_tap.load(), 0);
    EXPECT_EQ(far.engine.drag.retouch_seen.load(), 0);
}

TEST_F(TouchTest, TwoFingerTapNeedsNoButtonOrAnAction)
{
    pad.settings.TwoFTComboBox = 7;
    pad.down2(100, 100, 200, 100);
    pad.hold(3);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapTwo, 7)});

    // Without an action the tap is still reported, with arg 0 ...
    pad.settings.TwoFTComboBox = 0;
    pad.down2(100, 100, 200, 100);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapTwo, 0)});

    // ... but not while a physical button is down.
    pad.down2(100, 100, 200, 100);
    pad.buttons(1, 0, 0);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});

    // With an action it is reported even with the button down.
    pad.buttons(0, 0, 0);
    pad.hold(1);
    pad.settings.TwoFTComboBox = 4;
    pad.down2(100, 100, 200, 100);
    pad.buttons(0, 1, 0);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapTwo, 4)});
}

TEST_F(TouchTest, NoMultiFingerTapDuringDrag)
{
    pad.engine.drag.drag_active = 1;
    pad.down2(100, 100, 200, 100);
    pad.lift();
    pad.down3(500, 500);
    pad.lift();
    // Only the drag lift-off events (drag checkbox off: every lift counts).
    EXPECT_EQ(pad.take(), (Events{drag_post(), drag_post()}));
}

TEST_F(TouchTest, ThreeFingerTapAndSettleLimit)
{
    pad.settings.ThreeFTComboBox = 9;
    pad.down3(500, 500);
    pad.hold(5);  // six records at the peak
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapThree, 9)});

    pad.down3(500, 500);
    pad.hold(6);  // seven records at the peak: held too long for a tap
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});

    // A pressed button stops a tap that has no action, not one that has.
    pad.down3(500, 500);
    pad.buttons(1, 0, 0);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapThree, 9)});
    pad.settings.ThreeFTComboBox = 0;
    pad.down3(500, 500);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
    pad.buttons(0, 0, 0);
    pad.down3(500, 500);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapThree, 0)});
}

TEST_F(TouchTest, TwoFingerTapIsSpoiltBySmallFingerMovement)
{
    pad.down2(100, 100, 200, 100);
    pad.move2(9, 0, 0, 0, 1);  // centroid moved 4, x2_1 moved 9
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(TouchTest, SecondPressCycleMakesNoTap)
{
    pad.down2(100, 100, 200, 100);
    pad.down1(3000, 2500);
    pad.down2(100, 100, 200, 100);
    pad.lift();
    EXPECT_EQ(pad.state.touch.press_cycles, 0);  // cleared at lift-off
    EXPECT_EQ(pad.take(), Events{});

    // Falling once (2 then 1 then lift) is still one cycle.
    Pad once;
    once.settings.TappingCheckBox = 1;
    once.down2(100, 100, 200, 100);
    once.down1(3000, 2500);
    EXPECT_EQ(once.state.touch.press_cycles, 1);
    once.lift();
    EXPECT_EQ(once.take(), Events{action(Gesture::kTapTwo, 0)});
}

TEST_F(TouchTest, RemappedButtonsPressOnceAndReleaseWithCurrentValue)
{
    pad.settings.ButtonCheckBox = 1;
    pad.settings.ButtonMiddleComboBox = 5;
    pad.settings.ButtonLeftComboBox = 6;
    pad.down1(3000, 2500);
    pad.buttons(1, 0, 1);  // middle is tested before left
    pad.hold(3);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kButtonMiddle, 5)});
    pad.settings.ButtonMiddleComboBox = 8;
    pad.buttons(1, 0, 0);
    pad.hold(1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kButtonRelease, 8)});
    // Left is still down; the next sample latches it.
    pad.hold(1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kButtonLeft, 6)});
    pad.buttons(0, 0, 0);
    pad.hold(1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kButtonRelease, 6)});
}

TEST_F(TouchTest, ButtonWithoutActionOrWithRemappingOffIsNotRemapped)
{
    pad.settings.ButtonCheckBox = 1;
    pad.settings.ButtonRightComboBox = 0;
    pad.down1(3000, 2500);
    pad.buttons(0, 1, 0);
    pad.hold(2);
    pad.buttons(0, 0, 0);
    pad.hold(1);
    EXPECT_EQ(pad.take(), Events{});

    pad.settings.ButtonCheckBox = 0;
    pad.settings.ButtonRightComboBox = 3;
    pad.buttons(0, 1, 0);
    pad.hold(2);
    EXPECT_EQ(pad.take(), Events{});
    pad.settings.ButtonCheckBox = 1;
    pad.hold(1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kButtonRight, 3)});
}

TEST_F(TouchTest, DragLiftOffFollowsReleaseStyle)
{
    struct Case {
        int32_t drag, lift_release, tap_again, tap_release;
        bool posts;
    } cases[] = {
        {0, 0, 0, 0, true},  // drag lock off: every lift ends the drag
        {1, 1, 0, 0, true},
        {1, 0, 0, 1, true},
        {1, 0, 1, 0, false},  // tap-again style: lifting does not end it
    };
    for (const Case &c : cases) {
        Pad p;
        p.settings.DragCheckBox = c.drag;
        p.settings.LiftReleaseRadioButton = c.lift_release;
        p.settings.TapAgainRadioButton = c.tap_again;
        p.settings.TapReleaseRadioButton = c.tap_release;
        p.engine.drag.drag_active = 1;
        p.down1(3000, 2500);
        p.move1(50, 0, 3);
        p.lift();
        EXPECT_EQ(p.take(), c.posts ? Events{drag_post()} : Events{}) << c.drag << c.tap_again;
        EXPECT_EQ(p.engine.drag.drag_fingers_up.load(), c.posts ? 1 : 0);
        EXPECT_EQ(p.engine.drag.drag_lift_event.load(), c.posts ? 1 : 0);
    }
}

TEST_F(TouchTest, TapDuringTapAgainDragIsReported)
{
    pad.settings.DragCheckBox = 1;
    pad.settings.TapAgainRadioButton = 1;
    pad.engine.drag.drag_active = 1;
    pad.engine.drag.tap_pending = 1;
    pad.engine.drag.tap_state = TapState::kRetouched;
    pad.engine.drag.drag_fingers_up = 1;
    pad.down1(3000, 2500);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{drag_post()});
    EXPECT_EQ(pad.engine.drag.drag_tap_again.load(), 1);
    EXPECT_EQ(pad.engine.drag.drag_fingers_up.load(), 0);
}

TEST_F(TouchTest, FingerCountIsPublishedEvenWhileOff)
{
    pad.settings.TouchpadOff = 1;
    pad.down2(100, 100, 200, 100);
    EXPECT_EQ(pad.engine.drag.drag_finger_count.load(), 2);
    EXPECT_EQ(pad.engine.scroll.scroll_finger_count.load(), 2);
}

TEST_F(TouchTest, TouchpadOffConsumesRecordsWithoutEffect)
{
    pad.settings.TouchpadOff = 2;
    pad.settings.VerticalScrollingCheckBox = 1;
    pad.down2(100, 100, 200, 100);
    pad.move2(0, 20, 0, 20, 5);
    pad.lift();
    pad.down1(3000, 2500);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
    EXPECT_EQ(pad.state.touch.max_fingers, 0);
    EXPECT_EQ(pad.state.two.pair_count, 0);

    // Switched back on, the next records count from a clean start.
    pad.settings.TouchpadOff = 0;
    pad.down2(100, 100, 200, 100);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapTwo, 0)});
}

TEST_F(TouchTest, WhatATouchBeganEndsAlsoWhileTheTouchpadIsOff)
{
    // A typing monitor switches the pad off in the middle of a touch (the
    // engine's own Alt+Tab looks like typing): the touch's end still ends
    // the window switching, the drag and the remapped button.
    struct Case {
        const char *name;
        void (*begin)(Pad &);
        void (*end)(Pad &);
        Events ended;
    } cases[] = {
        {"window switching",
         [](Pad &p) {
             p.settings.FastKeyCheckBox = 1;
             p.settings.SwitchWindowsCheckBox = 1;
             p.down3(500, 100);
             p.move3(0, 20, 6);
         },
         [](Pad &p) { p.lift(); }, Events{action(Gesture::kSwitchWindowsEnd)}},
        {"drag released at the lift",
         [](Pad &p) {
             p.settings.DragCheckBox = 1;
             p.settings.LiftReleaseRadioButton = 1;
             p.engine.drag.drag_active = 1;
             p.down1(3000, 2500);
         },
         [](Pad &p) {
             p.move1(50, 0, 3);
             p.lift();
         },
         Events{drag_post()}},
        {"remapped button",
         [](Pad &p) {
             p.settings.ButtonCheckBox = 1;
             p.settings.ButtonLeftComboBox = 6;
             p.buttons(1, 0, 0);
             p.down1(3000, 2500);
         },
         [](Pad &p) {
             p.buttons(0, 0, 0);
             p.lift();
         },
         Events{action(Gesture::kButtonRelease, 6)}},
    };
    for (const Case &c : cases) {
        Pad p;
        c.begin(p);
        p.take();
        p.settings.TouchpadOff = 1;
        c.end(p);
        EXPECT_EQ(p.take(), c.ended) << c.name;
        p.engine.drag.drag_active = 0;  // as the drag thread does once it has ended the drag
        // Ended once: the next touch, still off, ends nothing more.
        p.down1(3000, 2500);
        p.lift();
        EXPECT_EQ(p.take(), Events{}) << c.name;
    }
}

TEST_F(TouchTest, ATouchThatEndsWhileTheTouchpadIsOffLeavesNothingBehind)
{
    // The pad goes off during a touch (vorellidle saw a key) and the touch
    // lifts while it is off; the pad comes on again and the next touch is
    // its own: no tap of the earlier one's fingers at its end.
    struct Case {
        const char *name;
        void (*begin)(Pad &);
        void (*next)(Pad &);
        Events next_gives;
    } cases[] = {
        {"two-finger tap, then a tap", [](Pad &p) { p.down2(100, 100, 200, 100); },
         [](Pad &p) {
             p.down1(3000, 2500);
             p.hold(2);
         },
         Events{drag_post()}},
        {"two-finger tap, then a pointer move", [](Pad &p) { p.down2(100, 100, 200, 100); },
         [](Pad &p) {
             p.down1(3000, 2500);
             p.move1(20, 5, 10);
         },
         Events{}},
        {"three-finger tap, then a pointer move", [](Pad &p) { p.down3(500, 100); },
         [](Pad &p) {
             p.down1(3000, 2500);
             p.move1(-20, 5, 10);
         },
         Events{}},
    };
    for (const Case &c : cases) {
        Pad p;
        p.settings.TappingCheckBox = 1;
        c.begin(p);
        p.hold(1);
        p.settings.TouchpadOff = 1;
        p.lift();
        EXPECT_EQ(p.take(), Events{}) << c.name;
        EXPECT_EQ(p.state.touch.max_fingers, 0) << c.name;
        p.settings.TouchpadOff = 0;
        c.next(p);
        p.lift();
        EXPECT_EQ(p.take(), c.next_gives) << c.name;
    }
}

TEST_F(TouchTest, FlickStartsAutoScrollOnlyWithin199ms)
{
    struct Case {
        int lift_after_ms;
        int32_t checkbox;
        bool posts;
    } cases[] = {{150, 1, true}, {199, 1, true}, {200, 1, false}, {250, 1, false}, {150, 0, false}};
    for (const Case &c : cases) {
        Pad p;
        p.settings.AutoScrollCheckBox = c.checkbox;
        p.down2(100, 100, 200, 100);
        p.engine.scroll.scroll_active = 1;  // the action thread has carried out a scroll step
        p.move2(0, 6, 0, 6, 4);
        int64_t last_move = p.now_ms;
        p.later(c.lift_after_ms - p.sample_period_ms);
        p.lift();
        ASSERT_EQ(p.now_ms - last_move, c.lift_after_ms);
        EXPECT_EQ(p.take(), c.posts ? Events{auto_scroll_post()} : Events{})
            << c.lift_after_ms << " ms, checkbox " << c.checkbox;
    }
}

TEST_F(TouchTest, SlowFingersDoNotRefreshTheLastMovement)
{
    pad.settings.AutoScrollCheckBox = 1;
    pad.down2(100, 100, 200, 100);
    pad.engine.scroll.scroll_active = 1;
    pad.move2(0, 6, 0, 6, 2);
    pad.move2(0, 5, 0, 5, 30);  // 5 in y is not a movement: 240 ms pass
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(TouchTest, NewTouchStopsAutoScroll)
{
    pad.engine.scroll.scroll_active = 1;
    pad.engine.scroll.autoscroll_running = 1;
    pad.down1(3000, 2500);
    EXPECT_EQ(pad.engine.scroll.scroll_active.load(), 0);
    EXPECT_EQ(pad.engine.scroll.autoscroll_running.load(), 0);
}

TEST_F(TouchTest, NewTouchForgetsScrollDirectionsUnlessAnAutoScrollRuns)
{
    // A sideways scroll that ended without a flick leaves its direction
    // behind; the next touch must not carry it into a vertical flick.
    pad.engine.scroll.scroll_left_active = 1;
    pad.engine.scroll.scroll_right_by_key = 1;
    pad.down2(100, 100, 200, 100);
    EXPECT_EQ(pad.engine.scroll.scroll_left_active.load(), 0);
    EXPECT_EQ(pad.engine.scroll.scroll_right_by_key.load(), 0);
    // Within the touch the directions of its own scroll steps stay.
    pad.engine.scroll.scroll_down_active = 1;
    pad.move2(0, 6, 0, 6, 2);
    EXPECT_EQ(pad.engine.scroll.scroll_down_active.load(), 1);
    pad.lift();
    // While an auto-scroll runs, its own end step clears them.
    pad.engine.scroll.scroll_up_active = 1;
    pad.engine.scroll.autoscroll_running = 1;
    pad.down1(3000, 2500);
    EXPECT_EQ(pad.engine.scroll.scroll_up_active.load(), 1);
    EXPECT_EQ(pad.engine.scroll.autoscroll_running.load(), 0);
}

}  // namespace
