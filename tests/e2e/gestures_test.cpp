// End to end: the simulator replays finger traces into the block, the real
// gestured turns them into input through XTEST, xte, xsetroot and vorellctl,
// and the recorder shows what reached the X server — and that nothing else
// did.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

Lines repeat(const Lines &unit, int n)
{
    Lines out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

Lines click(int button)
{
    return {"ButtonPress " + std::to_string(button), "ButtonRelease " + std::to_string(button)};
}

Lines control_click(int button)
{
    return {"KeyPress Control_L", "ButtonPress " + std::to_string(button),
            "ButtonRelease " + std::to_string(button), "KeyRelease Control_L"};
}

// Replays each trace in turn, each until the server has seen the last of the
// lines it should cause, and then checks that, once all is quiet, the server
// has seen exactly those lines, in order, and nothing else.
void expect_replays(Desk &desk, const std::vector<std::pair<std::string, Lines>> &replays)
{
    Lines expected;
    for (const auto &[trace, lines] : replays) {
        desk.replay(trace);
        expected.insert(expected.end(), lines.begin(), lines.end());
        const std::string &last = lines.back();
        const long times = std::count(expected.begin(), expected.end(), last);
        ASSERT_TRUE(desk.wait_for(last, static_cast<int>(times)));
    }
    desk.settle();
    EXPECT_EQ(desk.lines(), expected);
}

TEST(Scrolling, VerticalBothWaysOneWheelClickPerStep)
{
    Desk desk;
    expect_replays(desk, {{"scroll_down", repeat(click(5), 12)}, {"scroll_up", repeat(click(4), 12)}});
}

TEST(Scrolling, HorizontalClicksTheSidewaysWheel)
{
    Desk desk;
    expect_replays(desk, {{"scroll_right", repeat(click(7), 12)}});
}

TEST(Zoom, PinchAndSpreadControlClickTheWheel)
{
    Desk desk;  // ZoomSlider 8: a step every 3 qualifying samples
    expect_replays(desk, {{"pinch", repeat(control_click(5), 3)}, {"spread", repeat(control_click(4), 3)}});
}

TEST(Rotation, ClockwiseSendsTheChosenChordOnce)
{
    Desk desk;  // ClockwiseComboBox 2: Control_L + R
    expect_replays(
        desk, {{"rotate_cw", {"KeyPress Control_L", "KeyPress r", "KeyRelease r", "KeyRelease Control_L"}}});
}

TEST(Taps, TwoAndThreeFingerTapsRunTheChosenActions)
{
    Desk desk({"TwoFTComboBox=8", "ThreeFTComboBox=12"});  // Page_Down, wheel right
    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("KeyRelease Next"));
    desk.replay("tap_three");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 7"));
    desk.set({"TwoFTComboBox=1"});  // right click, pressed and released at once
    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 3"));
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"KeyPress Next", "KeyRelease Next", "ButtonPress 7", "ButtonRelease 7",
                                   "ButtonPress 3", "ButtonRelease 3"}));
}

TEST(Taps, SingleTapGivesTheTapBackToTheDriver)
{
    Desk desk;
    desk.set({"TapButton1=0"});
    desk.replay("tap_one");
    EXPECT_TRUE(desk.wait_for_field("TapButton1", "1"));
    desk.settle();
    EXPECT_EQ(desk.lines(), Lines{}) << "the driver clicks a plain tap, not the engine";
}

TEST(ThreeFingers, SwipeGoesBackAPage)
{
    Desk desk;
    expect_replays(
        desk, {{"swipe_left", {"KeyPress Alt_L", "KeyPress Left", "KeyRelease Left", "KeyRelease Alt_L"}}});
}

TEST(ThreeFingers, WindowSwitchingHoldsAltFromBeginToEnd)
{
    Desk desk({"FastKeyCheckBox=1"});
    expect_replays(desk, {{"switch_windows",
                           {"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab", "KeyPress Tab",
                            "KeyRelease Tab", "KeyRelease Alt_L"}}});
}

TEST(ThreeFingers, TypingMonitorSwitchingThePadOffMidSwitchStillLetsGoOfAlt)
{
    Desk desk({"FastKeyCheckBox=1"});
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    Background idle({bin_path("vorellidle")}, opt);
    // Running once a held key switches the pad off and the idle time after
    // it on again. The monitor takes the keys down at its first look as
    // already there, so a press made before that look is pressed again.
    const std::string xte = "xte";  // the one on the search path
    bool seen = false;
    for (int attempt = 0; attempt < 10 && !seen; ++attempt) {
        ASSERT_EQ(run_program({xte, "keydown Shift_L"}, opt).status, 0);
        seen = desk.wait_for_field("TouchpadOff", "1", 2.0);
        ASSERT_EQ(run_program({xte, "keyup Shift_L"}, opt).status, 0);
    }
    ASSERT_TRUE(seen) << idle.err();
    ASSERT_TRUE(desk.wait_for_field("TouchpadOff", "0"));
    const size_t before = desk.lines().size();

    // The engine's own Alt+Tab is typing to the monitor: the pad goes off
    // while the fingers are still down, and the lift must end the switch.
    ASSERT_TRUE(desk.start_window_switch());
    ASSERT_TRUE(desk.wait_for_field("TouchpadOff", "1"));
    desk.fingers({"f=0"});
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    desk.settle();
    Lines lines = desk.lines();
    EXPECT_EQ(Lines(lines.begin() + static_cast<long>(before), lines.end()),
              (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab", "KeyRelease Alt_L"}));
    idle.stop();
}

TEST(TypingGate, GesturesAreSilentWhileTypingExceptTheChosenTapAction)
{
    Desk desk({"DetectGestureIntr=1", "TwoFTComboBox=17"});
    desk.replay("scroll_down");
    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    desk.set({"DetectCovergestureIntr=1"});
    desk.replay("tap_two");
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"KeyPress Alt_L", "KeyPress Control_L", "KeyPress d", "KeyRelease d",
                                   "KeyRelease Control_L", "KeyRelease Alt_L"}))
        << "no scroll click, and nothing for the second tap";
}

TEST(Applications, WebBrowserTapZoomsWithControlPlus)
{
    // Action 15 is a control click of wheel up elsewhere; in the browser it
    // types Control_L + "+", which is Shift + equal on this keyboard.
    Desk desk({"TwoFTComboBox=15"}, "Vorell Docs - Web Browser");
    expect_replays(desk, {{"tap_two",
                           {"KeyPress Control_L", "KeyPress Shift_L", "KeyPress equal", "KeyRelease equal",
                            "KeyRelease Shift_L", "KeyRelease Control_L"}}});
}

TEST(Applications, WithoutATitleTheSameTapControlClicksWheelUp)
{
    Desk desk({"TwoFTComboBox=15"});
    expect_replays(desk, {{"tap_two", control_click(4)}});
}

}  // namespace
