// The two-finger stage: pairing, direction classes, scrolling, zoom and
// rotation, and which of them holds a two-finger phase.
#include <gtest/gtest.h>

#include "pad.h"

namespace {

TEST(DirectionClass, ClassesOfVectors)
{
    struct Case {
        int32_t dx, dy, cls;
    } cases[] = {{3, -2, 1}, {-3, 2, 1}, {-3, -2, -1}, {3, 2, -1}, {5, 0, 0},
                 {-5, 0, 0}, {0, 4, 2},  {0, -4, 2},   {0, 0, 3}};
    for (const Case &c : cases)
        EXPECT_EQ(direction_class(c.dx, c.dy), c.cls) << c.dx << "," << c.dy;
}

class Scroll : public ::testing::Test {
protected:
    void SetUp() override
    {
        pad.settings.VerticalScrollingCheckBox = 1;
        pad.settings.HorizontalScrollingCheckBox = 1;
        pad.settings.ScrollingSpeedSlider = 10;  // one step per 6 units of travel
        pad.down2(100, 100, 200, 100);
    }
    Pad pad;
};

TEST_F(Scroll, EachDirectionGivesItsCode)
{
    struct Case {
        int32_t dx, dy;
        Gesture code;
    } cases[] = {{0, 6, Gesture::kScrollYInc},
                 {0, -6, Gesture::kScrollYDec},
                 {6, 0, Gesture::kScrollXInc},
                 {-6, 0, Gesture::kScrollXDec}};
    for (const Case &c : cases) {
        Pad p;
        p.settings.VerticalScrollingCheckBox = 1;
        p.settings.HorizontalScrollingCheckBox = 1;
        p.settings.ScrollingSpeedSlider = 10;
        p.settings.TappingCheckBox = 1;
        p.down2(100, 100, 200, 100);
        p.move2(c.dx, c.dy, c.dx, c.dy, 3);
        p.lift();  // scrolled: no two-finger tap
        EXPECT_EQ(p.take(), Events(3, action(c.code))) << c.dx << "," << c.dy;
    }
}

TEST_F(Scroll, SwitchedOffAxesDoNotScroll)
{
    pad.settings.VerticalScrollingCheckBox = 0;
    pad.move2(0, 6, 0, 6, 3);
    pad.settings.HorizontalScrollingCheckBox = 0;
    pad.move2(6, 0, 6, 0, 3);
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(Scroll, TowardLargerYGathersSmallerMovementTowardSmallerYTheLarger)
{
    pad.settings.ScrollingSpeedSlider = 1;  // divisor 15
    pad.move2(0, 4, 0, 6, 1);               // gathers 4
    EXPECT_EQ(pad.state.two.vscroll_inc_travel, 4u);
    pad.move2(0, -4, 0, -6, 1);  // gathers 6 the other way
    EXPECT_EQ(pad.state.two.vscroll_dec_travel, 6u);
    EXPECT_EQ(pad.state.two.vscroll_inc_travel, 0u);
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(Scroll, SliderSetsTravelPerStep)
{
    pad.settings.ScrollingSpeedSlider = 1;  // divisor 15
    pad.move2(0, 5, 0, 5, 2);
    EXPECT_EQ(pad.take(), Events{});
    pad.move2(0, 5, 0, 5, 1);  // 15 gathered
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYInc)});
    pad.settings.ScrollingSpeedSlider = 15;  // divisor 1
    pad.move2(0, 1, 0, 1, 2);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kScrollYInc)));
}

TEST_F(Scroll, SliderOutOfRangeNeverDividesByZeroOrLess)
{
    for (int32_t slider : {16, 17, 1000, 2147483647}) {
        Pad p;
        p.settings.VerticalScrollingCheckBox = 1;
        p.settings.ScrollingSpeedSlider = slider;
        p.down2(100, 100, 200, 100);
        p.move2(0, 1, 0, 1, 2);  // the fastest step: every unit of travel
        EXPECT_EQ(p.take(), Events(2, action(Gesture::kScrollYInc))) << slider;
    }
    // Zero and below: every record that counts steps, even without travel.
    Pad p;
    p.settings.HorizontalScrollingCheckBox = 1;
    p.settings.ScrollingSpeedSlider = 0;
    p.down2(100, 100, 200, 100);
    p.move2(1, 0, 1, 0, 2);
    EXPECT_EQ(p.take(), Events(2, action(Gesture::kScrollXInc)));
}

TEST_F(Scroll, TurningBackAfterAStepWaitsOneRecord)
{
    pad.move2(0, 6, 0, 6, 2);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kScrollYInc)));
    pad.move2(0, -6, 0, -6, 1);
    EXPECT_EQ(pad.take(), Events{}) << "first record back gathers nothing";
    EXPECT_EQ(pad.state.two.vscroll_dec_travel, 0u);
    pad.move2(0, -6, 0, -6, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYDec)});

    // And back again toward larger y: the first record's travel is dropped.
    pad.move2(0, 6, 0, 6, 1);
    EXPECT_EQ(pad.take(), Events{});
    pad.move2(0, 6, 0, 6, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYInc)});
}

TEST_F(Scroll, HorizontalNeedsEqualFingerMovement)
{
    pad.move2(7, 0, 6, 0, 5);
    EXPECT_EQ(pad.take(), Events{});
    EXPECT_EQ(pad.state.two.hscroll_inc_travel, 0u);
}

TEST_F(Scroll, VerticalToleratesTwoUnitsOfDifference)
{
    pad.move2(0, 6, 0, 8, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYInc)});
    pad.move2(0, 6, 0, 9, 3);
    EXPECT_EQ(pad.take(), Events{});
}

TEST_F(Scroll, ANewTouchGathersNoTravelFromTheTouchBefore)
{
    pad.settings.TappingCheckBox = 1;
    pad.move2(0, 30, 0, 30, 3);  // a fast scroll
    pad.lift();
    pad.take();
    // A still two-finger tap straight after it: no step from the old
    // movement, and the tap is a tap.
    pad.down2(100, 100, 200, 100);
    EXPECT_EQ(pad.take(), Events{});
    pad.hold(1);
    pad.lift();
    EXPECT_EQ(pad.take(), Events{action(Gesture::kTapTwo)});
    // Nor when one-finger records came just before the pair.
    pad.down1(3000, 2500);
    pad.down2(100, 100, 200, 100);
    EXPECT_EQ(pad.take(), Events{});
    pad.move2(0, 6, 0, 6, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYInc)});
}

class Zoom : public ::testing::Test {
protected:
    void SetUp() override
    {
        pad.settings.ZoomCheckBox = 1;
        pad.settings.ZoomSlider = 10;
        pad.settings.ZoomOutComboBox = 21;
        pad.settings.ZoomInComboBox = 22;
        pad.settings.VerticalScrollingCheckBox = 1;
        pad.settings.HorizontalScrollingCheckBox = 1;
        pad.settings.ScrollingSpeedSlider = 15;
        // Finger 1 lower left, finger 2 upper right.
        pad.down2(100, 200, 200, 100);
    }
    void pinch(int n) { pad.move2(2, -2, -2, 2, n); }
    void spread(int n) { pad.move2(-2, 2, 2, -2, n); }
    Pad pad;
};

TEST_F(Zoom, PinchAndSpreadReportEveryQualifyingRecordAtTopSlider)
{
    pinch(3);
    EXPECT_EQ(pad.take(), Events(3, action(Gesture::kZoomOut, 21)));
    EXPECT_EQ(pad.state.two.two_finger_gesture, TwoFingerGesture::kZoom);
    spread(2);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kZoomIn, 22)));
}

TEST_F(Zoom, SliderSetsRecordsPerReport)
{
    pad.settings.ZoomSlider = 8;  // every third qualifying record
    pinch(7);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kZoomOut, 21)));
}

TEST_F(Zoom, RecognisedZoomHoldsPhaseEvenWhenNotReported)
{
    pad.settings.ZoomCheckBox = 0;
    pinch(1);
    pad.move2(0, 6, 0, 6, 3);
    pad.move2(6, 0, 6, 0, 3);
    EXPECT_EQ(pad.take(), Events{});
    // A new phase is free again.
    pad.down1(3000, 2500);
    pad.down2(100, 200, 200, 100);
    pad.move2(0, 6, 0, 6, 2);
    EXPECT_EQ(pad.take(), Events(2, action(Gesture::kScrollYInc)));
}

TEST_F(Zoom, ScrollingHoldsPhaseAgainstZoom)
{
    pad.move2(0, 6, 0, 6, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kScrollYInc)});
    pinch(3);
    EXPECT_EQ(pad.take(), Events{});
}

class Rotation : public ::testing::Test {
protected:
    void SetUp() override
    {
        pad.settings.RotationCheckBox = 1;
        pad.settings.RotationSlider = 10;  // the second qualifying record
        pad.settings.ClockwiseComboBox = 31;
        pad.settings.CounterclosewiseComboBox = 32;
        // A one-finger position that matches neither finger: pairing known,
        // no swap.
        pad.down1(3000, 2500);
        pad.down2(300, 400, 400, 300);
    }
    Pad pad;
};

TEST_F(Rotation, ReportedOncePerDirection)
{
    pad.move2(0, 0, 2, 2, 1);
    EXPECT_EQ(pad.take(), Events{});
    pad.move2(0, 0, 2, 2, 1);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kRotateCW, 31)});
    pad.move2(0, 0, 2, 2, 4);
    EXPECT_EQ(pad.take(), Events{});
    pad.move2(0, 0, -2, -2, 2);
    EXPECT_EQ(pad.take(), Events{action(Gesture::kRotateCCW, 32)});
    pad.move2(0, 0, -2, -2, 4);
    EXPECT_EQ(pad.take(), Events{});
    EXPECT_EQ(pad.state.touch.touch_consumed, 1);
}

TEST_F(Rotation, NeedsKnownPairing)
{
    Pad p;
    p.settings.RotationCheckBox = 1;
    p.settings.RotationSlider = 10;
    p.down2(300, 400, 400, 300);  // no one-finger position before
    p.move2(0, 0, 2, 2, 3);
    EXPECT_EQ(p.take(), Events{});
    EXPECT_EQ(p.state.two.pairing_known, 0);
}

TEST(Pairing, OneFingerPositionDecidesWhichYGoesWithWhichX)
{
    Pad pad;
    // (3000, 2500) maps to (93, 128) on the two-finger scale.
    pad.down1(3000, 2500);
    pad.down2(50, 128, 93, 300);  // x matches finger 2, y finger 1
    EXPECT_EQ(pad.state.two.match_x, 2);
    EXPECT_EQ(pad.state.two.match_y, 1);
    EXPECT_EQ(pad.state.two.swap_y, 1);
    EXPECT_EQ(pad.state.two.cur.y2_1, 300);
    EXPECT_EQ(pad.state.two.cur.y2_2, 128);

    Pad same;
    same.down1(3000, 2500);
    same.down2(83, 148, 300, 300);  // both match finger 1, at the tolerances
    EXPECT_EQ(same.state.two.match_x, 1);
    EXPECT_EQ(same.state.two.match_y, 1);
    EXPECT_EQ(same.state.two.swap_y, 0);
}

TEST(Pairing, StrayHugeOneFingerPositionMatchesNothing)
{
    Pad pad;
    pad.down1(2000000000, -2000000000);
    pad.down2(100, 100, 200, 300);
    EXPECT_EQ(pad.state.two.match_x, 0);
    EXPECT_EQ(pad.state.two.match_y, 0);
    EXPECT_EQ(pad.state.two.swap_y, 0);
}

TEST(Pairing, RestingFingerDecidesAfterFourStillRecords)
{
    Pad pad;
    // Finger 1's x and finger 2's y stay put: the reported y values belong
    // to the other fingers.
    pad.down2(100, 100, 200, 300);
    pad.move2(0, 3, 3, 0, 3);
    EXPECT_EQ(pad.state.two.swap_y, 0);
    pad.move2(0, 3, 3, 0, 1);
    EXPECT_EQ(pad.state.two.still_x1, 4);
    EXPECT_EQ(pad.state.two.still_y2, 4);
    EXPECT_EQ(pad.state.two.swap_y, 1);
    EXPECT_EQ(pad.state.two.pairing_known, 1);

    // Both fingers resting teaches nothing.
    Pad still;
    still.down2(100, 100, 200, 300);
    still.hold(8);
    EXPECT_EQ(still.state.two.still_x1, 0);
    EXPECT_EQ(still.state.two.swap_y, 0);
}

}  // namespace
