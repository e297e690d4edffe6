// Whatever the block holds, the recogniser's arithmetic stays defined: runs
// of records with coordinates at the ends of the 32-bit range, swinging
// between them, with every gesture switched on. Meant for the sanitizer
// build, where any overflow ends the test; here it checks that such records
// still leave the recogniser in a sane state.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "pad.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// The coordinate fields of a record.
int32_t SampleRecord::*const kFields[] = {
    &SampleRecord::x,    &SampleRecord::y,    &SampleRecord::w,    &SampleRecord::x2_1, &SampleRecord::y2_1,
    &SampleRecord::x2_2, &SampleRecord::y2_2, &SampleRecord::x3_1, &SampleRecord::y3_1,
};

void everything_on(SettingsSnapshot &s)
{
    for (std::atomic<int32_t> *flag :
         {&s.TappingCheckBox, &s.VerticalScrollingCheckBox, &s.HorizontalScrollingCheckBox,
          &s.AutoScrollCheckBox, &s.ZoomCheckBox, &s.RotationCheckBox, &s.SwipePageCheckBox,
          &s.FastKeyCheckBox, &s.MyHomeFileCheckBox, &s.SwitchWindowsCheckBox, &s.CovergestureCheckBox,
          &s.ButtonCheckBox})
        flag->store(1);
    s.ScrollingSpeedSlider = 10;
    s.ZoomSlider = 10;
    s.RotationSlider = 10;
    s.CovergestureSlider = 8;
}

TEST(ExtremeValues, EveryCoordinateAtTheEndsOfTheRangeStaysDefined)
{
    struct Swing {
        int32_t from, to;
    } swings[] = {{kMin, kMax},     {kMax, kMin},   {2000000000, -2000000000}, {kMin, 0}, {kMax, 0},
                  {kMin + 1, kMax}, {0, 2000000000}};
    for (int32_t SampleRecord::*field : kFields) {
        for (int32_t f : {1, 2, 3}) {
            for (const Swing &s : swings) {
                Pad pad;
                everything_on(pad.settings);
                // A real finger first (pairing looks back at it), then the
                // stray values swinging from one end to the other.
                SampleRecord one{};
                one.f = 1;
                one.x = 3000;
                one.y = 2500;
                pad.sample(one);
                for (int i = 0; i < 12; ++i) {
                    SampleRecord r{};
                    r.f = f;
                    for (int32_t SampleRecord::*other : kFields)
                        r.*other = 100;
                    r.*field = i % 2 ? s.to : s.from;
                    pad.sample(r);
                }
                SampleRecord stray_one{};
                stray_one.f = 1;
                stray_one.*field = s.to;
                pad.sample(stray_one);
                pad.lift();
                pad.take();
                EXPECT_EQ(pad.state.touch.max_fingers, 0);
                EXPECT_EQ(pad.state.three.three_finger_mode, ThreeFingerMode::kNone);
            }
        }
    }
}

TEST(ExtremeValues, TravelsSaturateInsteadOfWrapping)
{
    // Three fingers jumping by the whole range again and again: the swipe
    // travel keeps the sign of its direction.
    Pad pad;
    pad.settings.SwipePageCheckBox = 0;
    pad.settings.FastKeyCheckBox = 0;
    pad.down3(kMin, 0);
    for (int i = 0; i < 8; ++i) {
        SampleRecord r{};
        r.f = 3;
        r.x3_1 = i % 2 ? kMin : kMax;
        pad.sample(r);
        EXPECT_GE(pad.state.three.swipe_inc_travel, 0);
        EXPECT_LE(pad.state.three.swipe_dec_travel, 0);
    }
    EXPECT_EQ(pad.state.three.swipe_inc_travel, kMax);
    EXPECT_EQ(pad.state.three.swipe_dec_travel, kMin);
}

}  // namespace
