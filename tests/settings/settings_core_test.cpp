// The settings window's core: every parameter of the settings panel placed
// once with a control that fits its row, values stored exactly as vorellctl2
// stores them, and the live view's picture of the block's finger words.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "block_defaults.h"
#include "pad_picture.h"
#include "parameter_access.h"
#include "parameter_table.h"
#include "setting_values.h"
#include "settings_layout.h"
#include "unit_map.h"

namespace {

TouchpadSharedBlock fresh_block()
{
    TouchpadSharedBlock b;
    fill_default_block(&b);
    return b;
}

// The block's bytes, to compare whole blocks (doubles included) byte for byte.
std::array<unsigned char, sizeof(TouchpadSharedBlock)> bytes_of(const TouchpadSharedBlock &b)
{
    std::array<unsigned char, sizeof(TouchpadSharedBlock)> bytes;
    memcpy(bytes.data(), &b, sizeof b);
    return bytes;
}

}  // namespace

TEST(SettingsLayout, EveryPanelParameterHasOneFittingControl)
{
    std::map<std::string, int> placed;
    for (int i = 0; i < kSettingEntryCount; ++i)
        ++placed[kSettingEntries[i].parameter];
    for (const char *const *name = kParametersNotShown; *name; ++name)
        ++placed[*name];
    for (const ParameterDescriptor *row = kCtl2Parameters; row->name; ++row)
        EXPECT_EQ(placed[row->name], 1) << row->name << " must be shown, or left out, exactly once";
    EXPECT_EQ(placed.size(), 46u) << "a layout entry names no row of the table";

    int release_styles = 0;
    for (int i = 0; i < kSettingEntryCount; ++i) {
        const SettingEntry &e = kSettingEntries[i];
        const ParameterDescriptor *row = find_parameter(kCtl2Parameters, e.parameter);
        ASSERT_NE(row, nullptr) << e.parameter;
        switch (e.kind) {
        case ControlKind::kCheck:
        case ControlKind::kReleaseStyle: EXPECT_EQ(row->type, kBlockFlag) << e.parameter; break;
        case ControlKind::kChoice:
            EXPECT_EQ(row->type, kBlockInt) << e.parameter;
            EXPECT_EQ(row->minimum, 0) << e.parameter;
            EXPECT_LE(choice_count(e.choices), row->maximum + 1)
                << e.parameter << ": a name for a code it cannot store";
            break;
        case ControlKind::kSlider: EXPECT_NE(row->type, kBlockFlag) << e.parameter; break;
        }
        release_styles += e.kind == ControlKind::kReleaseStyle ? 1 : 0;
        if (e.master) {
            const SettingEntry *master = find_setting(e.master);
            ASSERT_NE(master, nullptr) << e.parameter << ": master " << e.master;
            EXPECT_EQ(master->kind, ControlKind::kCheck) << e.parameter;
            EXPECT_EQ(master->group, e.group) << e.parameter << ": its switch is on another page";
        }
    }
    EXPECT_EQ(release_styles, 3);
}

// The window and "vorellctl2 NAME=TEXT" leave the same block behind.
TEST(SettingValues, StoredAsTheParameterClientStoresThem)
{
    struct Case {
        const char *parameter;
        double shown;
        const char *assignment;
    };
    const Case cases[] = {
        {"TwoFTComboBox", 4, "TwoFTComboBox=4"},
        {"ScrollingSpeedSlider", 40, "ScrollingSpeedSlider=40"},  // clamped to 15
        {"ScrollingSpeedSlider", 0, "ScrollingSpeedSlider=0"},    // clamped to 1
        {"TappingDelayComboBox", 0.7, "TappingDelayComboBox=7"},  // shown in seconds, stored in tenths
        {"TappingDelayComboBox", 2.5, "TappingDelayComboBox=25"},
        {"CovergestureSlider", 9.5, "CovergestureSlider=9.5"},  // halfway: to the even 10
        {"ZoomSlider", 8.5, "ZoomSlider=8.5"},                  // halfway: to the even 8
        {"DragSlider", 2.35, "DragSlider=2.35"},
        {"DragSlider", 0.5, "DragSlider=0.5"},  // clamped to 1.0
        {"MaxSpeed", 1.2, "MaxSpeed=1.2"},      // the panel's table stops at 1.0
        {"AccelFactor", 0, "AccelFactor=0"},    // clamped to 0.00001
        {"TouchpadOff", 2, "TouchpadOff=2"},
        {"AutoScrollCheckBox", 1, "AutoScrollCheckBox=1"},
    };
    for (const Case &c : cases) {
        TouchpadSharedBlock by_window = fresh_block();
        TouchpadSharedBlock by_client = fresh_block();
        store_shown_value(&by_window, *find_setting(c.parameter), c.shown);
        apply_assignment(&by_client, kCtl2Parameters, c.assignment, stderr);
        EXPECT_TRUE(bytes_of(by_window) == bytes_of(by_client)) << c.assignment;
    }
    TouchpadSharedBlock b = fresh_block();
    store_shown_value(&b, *find_setting("TappingDelayComboBox"), 0.7);
    EXPECT_DOUBLE_EQ(shown_value(&b, *find_setting("TappingDelayComboBox")), 0.7);
    SliderRange delay = slider_range(*find_setting("TappingDelayComboBox"));
    EXPECT_DOUBLE_EQ(delay.highest, 2.0);
}

TEST(SettingValues, DropDownsShowOnlyNamedCodes)
{
    EXPECT_EQ(choice_row(*find_setting("ZoomOutComboBox"), 3), 3);
    // 0 to 18 may be stored, but the zoom catalogue names only 0 to 5.
    EXPECT_EQ(choice_row(*find_setting("ZoomOutComboBox"), 9), -1);
    EXPECT_EQ(choice_row(*find_setting("TwoFTComboBox"), 17), 17);
    EXPECT_EQ(choice_row(*find_setting("TwoFTComboBox"), 18), -1);
    EXPECT_STREQ(choice_name(ChoiceList::kCommonActions, 16), "Alt+F4");
    EXPECT_STREQ(choice_name(ChoiceList::kRotationActions, 2), "Control+R");
}

TEST(SettingValues, OneReleaseStyleAtATime)
{
    struct Case {
        int lift, tap_again, wait;
        int style;
    };
    const Case cases[] = {
        {1, 0, 0, 0}, {0, 1, 0, 1}, {0, 0, 1, 2}, {0, 0, 0, -1}, {1, 0, 1, -1}, {1, 1, 1, -1},
    };
    for (const Case &c : cases) {
        TouchpadSharedBlock b = fresh_block();
        b.LiftReleaseRadioButton = c.lift;
        b.TapAgainRadioButton = c.tap_again;
        b.TapReleaseRadioButton = c.wait;
        EXPECT_EQ(release_style(&b), c.style) << c.lift << c.tap_again << c.wait;
        store_release_style(&b, 2);
        EXPECT_EQ(b.LiftReleaseRadioButton + b.TapAgainRadioButton, 0);
        EXPECT_EQ(b.TapReleaseRadioButton, 1);
    }
}

namespace {

FingerReading one_finger(int32_t x, int32_t y, int32_t w = 4)
{
    TouchpadSharedBlock b = fresh_block();
    b.x = x;
    b.y = y;
    b.w = w;
    b.NewStructFingers.f = 1;
    return read_fingers(b);
}

}  // namespace

TEST(PadPicture, ContactsLandWhereTheyAreOnThePad)
{
    struct Case {
        int32_t x, y;
        double fx, fy;
    };
    const Case cases[] = {
        {1472, 1408, 0, 0},       {5472, 4448, 1, 1}, {3472, 2928, 0.5, 0.5},
        {2472, 2168, 0.25, 0.25}, {-50, 9000, 0, 1},  // off the scale: held at the edge
    };
    for (const Case &c : cases) {
        PadPicture p = picture_of(one_finger(c.x, c.y));
        ASSERT_EQ(p.contact_count, 1);
        EXPECT_NEAR(p.contacts[0].x, c.fx, 1e-9) << c.x;
        EXPECT_NEAR(p.contacts[0].y, c.fy, 1e-9) << c.y;
    }
    EXPECT_GT(picture_of(one_finger(3000, 3000, 15)).contacts[0].radius,
              2 * picture_of(one_finger(3000, 3000, 4)).contacts[0].radius * 0.6)
        << "a palm is drawn larger than a fingertip";
}

TEST(PadPicture, TwoAndThreeFingersOnTheirCoarserScale)
{
    // Two fingers where single fingers at a quarter and three quarters of the
    // pad would be, as the touchpad publisher writes them.
    TouchpadSharedBlock b = fresh_block();
    b.NewStructFingers.f = 2;
    b.NewStructFingers.x2_1 = static_cast<int32_t>(std::lround(two_finger_x(2472)));
    b.NewStructFingers.y2_1 = static_cast<int32_t>(std::lround(two_finger_y(2168)));
    b.NewStructFingers.x2_2 = static_cast<int32_t>(std::lround(two_finger_x(4472)));
    b.NewStructFingers.y2_2 = static_cast<int32_t>(std::lround(two_finger_y(3688)));
    b.NewStructFingers.l = 1;
    b.NewStructFingers.multi[2] = 1;
    PadPicture p = picture_of(read_fingers(b));
    ASSERT_EQ(p.contact_count, 2);
    const double coarse = 0.01;  // one unit of the coarse scale is under 1 % of the pad
    EXPECT_NEAR(p.contacts[0].x, 0.25, coarse);
    EXPECT_NEAR(p.contacts[0].y, 0.25, coarse);
    EXPECT_NEAR(p.contacts[1].x, 0.75, coarse);
    EXPECT_NEAR(p.contacts[1].y, 0.75, coarse);
    EXPECT_EQ(picture_summary(p), "2 fingers on the pad; buttons down: left, 3");

    b.NewStructFingers.f = 3;
    b.NewStructFingers.x3_1 = b.NewStructFingers.x2_2;
    b.NewStructFingers.y3_1 = b.NewStructFingers.y2_2;
    p = picture_of(read_fingers(b));
    ASSERT_EQ(p.contact_count, 1);
    EXPECT_NEAR(p.contacts[0].x, 0.75, coarse);
    EXPECT_EQ(p.fingers, 3);

    b.NewStructFingers.f = 5;  // no coordinates are meaningful
    EXPECT_EQ(picture_of(read_fingers(b)).contact_count, 0);
}

TEST(PadPicture, FollowsTheRecordNewStructSelects)
{
    TouchpadSharedBlock b = fresh_block();
    b.OldStructFingers.f = 1;
    EXPECT_FALSE(reading_is_busy(read_fingers(b))) << "NewStruct 1: the old record is not current";
    b.NewStruct = 0;
    EXPECT_TRUE(reading_is_busy(read_fingers(b)));
    b.NewStruct = 7;
    EXPECT_FALSE(reading_is_busy(read_fingers(b)));
    b.NewStruct = 1;
    b.NewStructFingers.m = 1;  // a button alone keeps the view following
    EXPECT_TRUE(reading_is_busy(read_fingers(b)));
    EXPECT_EQ(picture_summary(picture_of(read_fingers(b))), "No finger on the pad; buttons down: middle");
}
