// End to end with a publisher that signals each report: the engine sleeps
// between touches, and every gesture comes out exactly as it does when the
// engine polls a publisher that does not signal.
#include <gtest/gtest.h>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

// One step of the session: a trace to replay, or (starting with '=') a
// setting a client changes while the pad rests.
const char *const kSession[] = {
    "scroll_down",      "scroll_up", "scroll_right",       "pinch",      "spread",
    "rotate_cw",        "tap_two",   "tap_three",          "swipe_left", "switch_windows",
    "=TwoFTComboBox=1", "tap_two",   "=ThreeFTComboBox=0", "tap_three",
};

// Plays the session on a fresh desk and returns what reached the server.
// Signalled, each touch starts with the engine asleep.
Lines play_session(bool signalled)
{
    Desk desk({"TwoFTComboBox=8", "ThreeFTComboBox=12", "FastKeyCheckBox=1"});
    if (signalled)
        desk.signal_reports();
    for (const std::string step : kSession) {
        if (signalled) {
            EXPECT_TRUE(desk.wait_for_sampler_asleep()) << "before " << step;
        }
        if (step[0] == '=')
            desk.set({step.substr(1)});
        else
            desk.replay(step);
        desk.settle();
    }
    return desk.lines();
}

TEST(SignallingPublisher, EveryGestureComesOutAsWhenPolled)
{
    const Lines polled = play_session(false);
    ASSERT_GE(polled.size(), 60u) << "the session made no gestures";
    EXPECT_EQ(play_session(true), polled);
}

}  // namespace
