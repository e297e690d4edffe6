// End to end: the simulator replays finger traces into the block, the real
// gestured turns them into input through XTEST, xte, xsetroot and vorellctl,
// and the recorder shows what reached the X server — and that nothing else
// did.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "desk.h"
#include "kbd_helpers.h"
#include "wall_clock_step.h"

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

// vorellidle on the desk, watching (it has switched the pad off for a
// typed Shift and on again), and the number of recorded lines before the
// test's own: the Shift presses are the test's typing.
struct TypingMonitor {
    Background idle;
    KeyTypist hands;
    size_t before = 0;

    // env: extra environment entries for vorellidle.
    TypingMonitor(Desk &desk, const std::vector<std::string> &options,
                  const std::vector<std::string> &env = {})
        : idle(with_program("vorellidle", options), RunOptions{"", with_display(desk, env), "", 20.0}),
          hands(desk.x().display())
    {
    }
    static std::vector<std::string> with_display(Desk &desk, std::vector<std::string> env)
    {
        env.insert(env.begin(), desk.x().env());
        return env;
    }
    static std::vector<std::string> with_program(const char *name, std::vector<std::string> args)
    {
        args.insert(args.begin(), bin_path(name));
        return args;
    }
    // Types Shift until the pad goes off: a press made before the monitor's
    // first look is taken as already down.
    bool switch_off(Desk &desk)
    {
        for (int attempt = 0; attempt < 40; ++attempt) {
            hands.tap(50, 50);
            if (desk.wait_for_field("TouchpadOff", "1", 0.5))
                return true;
        }
        return false;
    }
    bool ready(Desk &desk)
    {
        const bool ok = switch_off(desk) && desk.wait_for_field("TouchpadOff", "0");
        desk.settle();
        before = desk.lines().size();
        return ok;
    }
    // The lines recorded since ready(), without the typed Shift.
    Lines lines_since(Desk &desk) const
    {
        Lines all = desk.lines(), out;
        for (size_t i = before; i < all.size(); ++i)
            if (all[i] != "KeyPress Shift_L" && all[i] != "KeyRelease Shift_L")
                out.push_back(all[i]);
        return out;
    }
};

TEST(ThreeFingers, WindowSwitchingStepsTwiceWhileTheTypingMonitorRuns)
{
    // The engine's own Alt and Tab come through XTEST: no typing, so the pad
    // stays on for the step.
    Desk desk({"FastKeyCheckBox=1"});
    TypingMonitor monitor(desk, {});
    ASSERT_TRUE(monitor.ready(desk)) << monitor.idle.err();
    desk.replay("switch_windows");
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    desk.settle();
    EXPECT_EQ(monitor.lines_since(desk), (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab",
                                                "KeyPress Tab", "KeyRelease Tab", "KeyRelease Alt_L"}));
    EXPECT_EQ(desk.get("TouchpadOff"), "0");
}

TEST(ThreeFingers, TypingMonitorSwitchingThePadOffMidSwitchStillLetsGoOfAlt)
{
    Desk desk({"FastKeyCheckBox=1"});
    // An idle time long enough that the pad is still off when the lift is
    // sampled.
    TypingMonitor monitor(desk, {"-i", "3"});
    ASSERT_TRUE(monitor.ready(desk)) << monitor.idle.err();

    // The user types while the fingers are still down: the pad goes off,
    // and the lift must end the switch.
    ASSERT_TRUE(desk.start_window_switch());
    ASSERT_TRUE(monitor.switch_off(desk));
    desk.fingers({"f=0"});
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    desk.settle();
    EXPECT_EQ(monitor.lines_since(desk),
              (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab", "KeyRelease Alt_L"}));
}

// The time of day stepped 20 s back or ahead while the pad is off for
// typing: it comes back on about the idle time after the last key, neither
// 20 s later nor at once.
TEST(TypingGate, AStepOfTheWallClockNeitherStretchesNorCutsTheIdleTime)
{
    for (int step_s : {-20, 20}) {
        SCOPED_TRACE(step_s);
        Desk desk;
        WallClockStep clock;
        TypingMonitor monitor(desk, {"-i", "2"}, clock.env());
        ASSERT_TRUE(monitor.switch_off(desk)) << monitor.idle.err();
        // The last key went up at most the half second switch_off waits.
        const auto off = std::chrono::steady_clock::now();
        clock.step(step_s);
        ASSERT_TRUE(desk.wait_for_field("TouchpadOff", "0", 15.0));
        const double off_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - off).count();
        EXPECT_GE(off_s, 1.0) << "the idle time, not the step";
        EXPECT_LT(off_s, 10.0) << "the idle time, not the step";
    }
}

// The pad goes off between a two-finger tap's landing and its lift (the
// typing monitor saw a key): the tap is gone with its lift, and the next,
// unrelated touch, a pointer move, sends nothing.
TEST(TypingGate, ATwoFingerTapLiftedWhileThePadIsOffLeavesNoRightClickBehind)
{
    Desk desk;
    const std::vector<std::string> two{"f=2", "x2_1=100", "y2_1=150", "x2_2=300", "y2_2=150", "z=40"};
    desk.fingers(two);
    desk.fingers(two);
    desk.set({"TouchpadOff=1"});
    desk.wait_for_sampler();
    desk.fingers({"f=0"});
    desk.set({"TouchpadOff=0"});
    desk.wait_for_sampler();
    for (int i = 0; i < 6; ++i)
        desk.fingers({"f=1", "x=" + std::to_string(3000 + 60 * i), "y=3000", "z=40"});
    desk.fingers({"f=0"});
    desk.settle(600);
    EXPECT_EQ(desk.lines(), Lines{});
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
