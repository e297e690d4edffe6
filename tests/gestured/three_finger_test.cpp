// Three-finger swipe, my home, window switching and the cover gesture.
#include <gtest/gtest.h>

#include "pad.h"

namespace {

class ThreeFinger : public ::testing::Test {
protected:
    void SetUp() override
    {
        pad.settings.TappingCheckBox = 1;
        pad.settings.SwipePageCheckBox = 1;
        pad.settings.FastKeyCheckBox = 1;
        pad.settings.MyHomeFileCheckBox = 1;
        pad.settings.SwitchWindowsCheckBox = 1;
    }
    Pad pad;
};

TEST_F(ThreeFinger, SwipeOncePerTouch)
{
    pad.down3(500, 500);
    pad.move3(-8, 0, 3);
    EXPECT_EQ(pad.take(), Events{});
    pad.move3(-8, 0, 1);  // -32 gathered
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwipeXDec)});
    pad.move3(-8, 0, 8);
    pad.move3(8, 0, 8);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{}) << "one swipe per touch, and no tap";

    pad.down3(500, 500);
    pad.move3(8, 0, 3);
    pad.move3(-8, 0, 1);  // only the records moving that way count
    pad.move3(7, 0, 1);   // 31 toward larger x
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwipeXInc)});
}

TEST_F(ThreeFinger, SwipeThresholds)
{
    pad.down3(500, 500);
    pad.move3(10, 0, 3);  // 30: not yet
    EXPECT_EQ(pad.take(), Events{});
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapThree)}) << "a short slide is still a tap";
    pad.down3(500, 500);
    pad.move3(-10, 0, 3);  // -30: not yet
    EXPECT_EQ(pad.take(), Events{});
    pad.move3(-1, 0, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwipeXDec)});
}

TEST_F(ThreeFinger, SwipeSwitchedOffOrDuringDrag)
{
    pad.settings.TappingCheckBox = 0;
    pad.settings.SwipePageCheckBox = 0;
    pad.down3(500, 500);
    pad.move3(-10, 0, 5);
    pad.lift();
    pad.settings.SwipePageCheckBox = 1;
    pad.engine.drag.drag_active = 1;
    pad.down3(500, 500);
    pad.move3(-10, 0, 5);
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(ThreeFinger, MyHomeTowardSmallerY)
{
    pad.down3(500, 900);
    pad.move3(0, -20, 5);  // -100: not below -100
    EXPECT_EQ(pad.take(), Events{});
    pad.move3(0, -20, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kMyHome)});
    pad.move3(0, -20, 10);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(ThreeFinger, JumpsGatherNoFastKeyTravel)
{
    pad.down3(500, 100);
    pad.move3(0, 50, 1);
    EXPECT_EQ(pad.state.three.fast_inc_travel, 0);
    // Speeding up by more than 10 per record beyond 20 does not count either.
    pad.move3(0, 20, 1);
    pad.move3(0, 31, 1);
    EXPECT_EQ(pad.state.three.fast_inc_travel, 20);
    pad.move3(0, 40, 1);  // steady at up to 45 counts
    EXPECT_EQ(pad.state.three.fast_inc_travel, 60);
}

TEST_F(ThreeFinger, WindowSwitchingWithOneAndThreeFingerSteps)
{
    pad.settings.VerticalScrollingCheckBox = 1;
    pad.settings.ScrollingSpeedSlider = 15;
    pad.down3(500, 100);
    pad.move3(0, 20, 5);
    EXPECT_EQ(pad.take(), Events{});
    pad.move3(0, 20, 1);  // 120 toward larger y
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsBegin)});

    // Three fingers sideways: a step per more than 60.
    pad.move3(20, 0, 4);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsNext)});
    pad.move3(-20, 0, 4);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsPrev)});

    // Two fingers do nothing while switching.
    pad.down2(100, 100, 200, 100);
    pad.move2(0, 6, 0, 6, 4);
    EXPECT_EQ(pad.take(), Events{});

    // One finger: a step per more than 150.
    pad.down1(3000, 2500);
    pad.move1(30, 0, 5);  // 150
    EXPECT_EQ(pad.take(), Events{});
    pad.move1(30, 0, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsNext)});
    pad.move1(-40, 0, 4);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsPrev)});

    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwitchWindowsEnd)});
    EXPECT_EQ(pad.state.three.switching_windows, 0);
    EXPECT_EQ(pad.state.three.three_finger_mode, ThreeFingerMode::kNone);

    // The next touch is free again.
    pad.down2(100, 100, 200, 100);
    pad.move2(0, 6, 0, 6, 2);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kScrollYInc)));
}

TEST_F(ThreeFinger, FastKeysNeedTheirSwitches)
{
    pad.settings.SwitchWindowsCheckBox = 0;
    pad.down3(500, 100);
    pad.move3(0, 20, 8);
    pad.lift();
    pad.settings.SwitchWindowsCheckBox = 1;
    pad.settings.FastKeyCheckBox = 0;
    pad.down3(500, 100);
    pad.move3(0, 20, 8);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(ThreeFinger, SwipeThenNoFastKey)
{
    pad.down3(500, 100);
    pad.move3(-16, 0, 2);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kSwipeXDec)});
    pad.move3(0, 20, 10);
    EXPECT_EQ(pad.take(), Events{});
}

class Cover : public ::testing::Test {
protected:
    void SetUp() override
    {
        pad.settings.CovergestureCheckBox = 1;
        pad.settings.CovergestureComboBox = 7;
        pad.settings.CovergestureSlider = 15;  // width 8 and more ...
    }
    Pad pad;
};

TEST_F(Cover, WidthThresholdOncePerTouch)
{
    pad.down1(3000, 2500, 8);  // ... but never 8 or less
    EXPECT_EQ(pad.take(), Events{});
    pad.width(9);
    pad.move1(1, 0, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kCover, 7)});
    pad.width(15);
    pad.move1(1, 0, 3);
    pad.down3(500, 500, 15);
    EXPECT_EQ(pad.take(), Events{});
    pad.lift();
    pad.down3(500, 500, 12);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kCover, 7)});
}

TEST_F(Cover, TwoFingersNeverCover)
{
    pad.down2(100, 100, 200, 100);
    pad.width(50);
    pad.hold(3);
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(Cover, SliderMapsToThreshold)
{
    struct Case {
        int32_t slider, w;
        bool covers;
    } cases[] = {{8, 14, false}, {8, 15, true},  {12, 10, false}, {12, 11, true},
                 {7, 99, false}, {7, 100, true}, {16, 99, false}, {16, 100, true}};
    for (const Case &c : cases) {
        Pad p;
        p.settings.CovergestureCheckBox = 1;
        p.settings.CovergestureSlider = c.slider;
        p.down1(3000, 2500, c.w);
        EXPECT_EQ(p.take(), c.covers ? Events{action(Gesture::kCover, 0)} : Events{})
            << "slider " << c.slider << " width " << c.w;
    }
}

TEST_F(Cover, NotDuringDragNorSwitchedOff)
{
    pad.engine.drag.drag_active = 1;
    pad.down1(3000, 2500, 20);
    pad.engine.drag.drag_active = 0;
    pad.settings.CovergestureCheckBox = 0;
    pad.move1(1, 0, 1);
    EXPECT_EQ(pad.take(), Events{});
}

}  // namespace
