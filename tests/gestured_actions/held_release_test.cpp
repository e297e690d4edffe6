// Ended by SIGTERM, SIGINT or SIGHUP, the engine lets go of every key and
// button it holds, then ends by the same signal. And an engine without a
// display says so and stops.
#include <gtest/gtest.h>

#include <signal.h>

#include "support.h"
#include "x_watch.h"

namespace {

class ReleaseOnSignal : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(ReleaseOnSignal, HeldKeysAndButtonsAreReleasedAndTheSignalEndsTheProcess)
{
    const int sig = GetParam();
    Xvfb xvfb;
    XWatch watch(xvfb.display());
    Background probe({bin_path("held_probe"), "hold"}, RunOptions{"", {xvfb.env()}, "", 20});
    ASSERT_TRUE(probe.wait_for_output("holding 4", 15)) << probe.out() << probe.err();

    EXPECT_TRUE(watch.key_down("Alt_L"));
    EXPECT_TRUE(watch.key_down("Left"));
    EXPECT_TRUE(watch.button_down(1));
    EXPECT_TRUE(watch.button_down(3));

    EXPECT_EQ(probe.stop(sig, 10), 128 + sig);

    EXPECT_FALSE(watch.key_down("Alt_L"));
    EXPECT_FALSE(watch.key_down("Left"));
    EXPECT_FALSE(watch.key_down("Shift_L"));
    EXPECT_FALSE(watch.button_down(1));
    EXPECT_FALSE(watch.button_down(3));
}

// SIGKILL cannot be caught: what was held stays held. This keeps the test
// above honest (the server does not let go on its own when the client dies).
TEST(ReleaseOnSignalControl, AfterSigkillTheServerStillHoldsTheInput)
{
    Xvfb xvfb;
    XWatch watch(xvfb.display());
    Background probe({bin_path("held_probe"), "hold"}, RunOptions{"", {xvfb.env()}, "", 20});
    ASSERT_TRUE(probe.wait_for_output("holding 4", 15)) << probe.out() << probe.err();
    EXPECT_EQ(probe.stop(SIGKILL, 10), 128 + SIGKILL);
    EXPECT_TRUE(watch.key_down("Alt_L"));
    EXPECT_TRUE(watch.button_down(1));
}

INSTANTIATE_TEST_SUITE_P(Signals, ReleaseOnSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(HotkeyThread, WithoutADisplayItSaysSoAndEndsWithStatusOne)
{
    RunResult r = run_program({bin_path("held_probe"), "hotkey"}, RunOptions{"", {"DISPLAY=:97531"}, "", 20});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't open display.\n");
    r = run_program({bin_path("held_probe"), "hotkey"}, RunOptions{"", {"DISPLAY"}, "", 20});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't open display.\n");
}
