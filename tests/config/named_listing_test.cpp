// The listing people read: each kind of setting in words, each gesture from
// its binding, its combo box or the engine's own action, and the switches
// that keep it off.
#include <gtest/gtest.h>

#include "block_defaults.h"
#include "named_listing.h"
#include "parameter_access.h"
#include "parameter_table.h"
#include "touchpad_block.h"

namespace {

bool has_line(const std::string &listing, const std::string &line)
{
    return listing.find("\n" + line + "\n") != std::string::npos || listing.rfind(line + "\n", 0) == 0;
}

TEST(NamedListing, EverySettingInWordsWithItsParameter)
{
    TouchpadSharedBlock block{};
    fill_default_block(&block);
    for (const char *a : {"TwoFTComboBox=1", "TappingDelayComboBox=7", "TouchpadOff=2", "ZoomInComboBox=9"})
        apply_assignment(&block, kCtl2Parameters, a, stdout);
    const std::string listing = settings_listing(&block);
    for (const char *line : {
             "Tapping",
             "  Two-finger tap: right button (TwoFTComboBox 1)",
             "  Taps stay off for: 0.7 s (TappingDelayComboBox 7)",
             "  Touchpad: only tapping and scrolling off (TouchpadOff 2)",
             "  Tap and drag, with drag lock: on (DragCheckBox 1)",
             "  The drag ends with another tap: no (TapAgainRadioButton 0)",
         })
        EXPECT_TRUE(has_line(listing, line)) << line << "\n" << listing;
    // A code the catalogue does not name (clamped to the row's range first).
    EXPECT_NE(listing.find("  Spread (zoom in): "), std::string::npos);
}

TEST(NamedListing, EachGestureFromItsBindingComboBoxOrOwnAction)
{
    TouchpadSharedBlock block{};
    fill_default_block(&block);
    for (const char *a : {"TwoFTComboBox=1", "ThreeFTComboBox=18", "CovergestureCheckBox=0"})
        apply_assignment(&block, kCtl2Parameters, a, stdout);
    const GestureBindings b = parse_gestures_text("g.conf",
                                                  "[gestures]\n"
                                                  "pinch-in = keys Control+minus\n"
                                                  "cover = none\n"
                                                  "[app firefox]\n"
                                                  "swipe-left = keys Alt+Left\n"
                                                  "two-finger-tap = default\n");
    const std::string listing = gestures_listing(&b, "g.conf", &block);
    for (const char *line : {
             "Gestures (g.conf)",
             "  two-finger tap: right button (combo box 1)",
             "  three-finger tap: no action (combo box 18)",
             "  pinch in: keys Control+minus (line 2)",
             "  swipe left: back (Alt+Left), built in",
             "  cover: none (line 3), switched off (CovergestureCheckBox 0)",
             "[app firefox]",
             "  swipe left: keys Alt+Left (line 5)",
             "  two-finger tap: default: right button (combo box 1) (line 6)",
         })
        EXPECT_TRUE(has_line(listing, line)) << line << "\n" << listing;

    EXPECT_TRUE(has_line(gestures_listing(nullptr, "g.conf", &block), "Gestures (no g.conf)"));
    EXPECT_TRUE(
        has_line(gestures_listing(nullptr, "g.conf", nullptr), "  two-finger tap: combo box TwoFTComboBox"));
}

}  // namespace
