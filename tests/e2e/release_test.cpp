// End to end: what the engine lets go of when it is killed in the middle of
// a gesture.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

TEST(Release, KilledMidDragTheEngineLetsGoOfButtonOne)
{
    Desk desk;
    desk.fingers({"f=1", "x=3000", "y=3000", "z=40"});
    desk.fingers({"f=0"});
    desk.fingers({"f=1", "x=3010", "y=3010", "z=40"});
    ASSERT_TRUE(desk.wait_for("ButtonPress 1"));
    desk.settle(200);
    EXPECT_EQ(desk.engine().stop(SIGTERM), 128 + SIGTERM);
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    EXPECT_EQ(desk.lines(), (Lines{"ButtonPress 1", "ButtonRelease 1"}));
}

TEST(Release, KilledWhileSwitchingWindowsTheEngineLetsGoOfAlt)
{
    Desk desk({"FastKeyCheckBox=1"});
    for (int i = 0; i < 8; ++i)
        desk.fingers({"f=3", "x3_1=500", "y3_1=" + std::to_string(300 + 20 * i), "z=40"});
    ASSERT_TRUE(desk.wait_for("KeyRelease Tab"));
    desk.settle(200);
    EXPECT_EQ(desk.engine().stop(SIGINT), 128 + SIGINT);
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    EXPECT_EQ(desk.lines(), (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab",
                                   "KeyRelease Alt_L"}));
}

TEST(Release, KilledDuringAutoScrollTheEngineLetsGoOfTheArrowKey)
{
    ASSERT_EQ(access("/usr/local/bin/xte", X_OK), 0) << "/usr/local/bin/xte is missing: run scripts/setup.sh";
    Desk desk({"AutoScrollCheckBox=1"}, "manual.pdf - Adobe Reader");
    desk.replay("flick_left");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 6", 2));
    EXPECT_EQ(desk.engine().stop(SIGHUP), 128 + SIGHUP);
    ASSERT_TRUE(desk.wait_for("KeyRelease Left", 9));
    desk.settle();
    // Eight steps and the held key each let go of Left once; the server's
    // auto-repeat of the held key may add presses, never releases.
    EXPECT_EQ(desk.count("KeyRelease Left"), 9);
    EXPECT_GE(desk.count("KeyPress Left"), 9);
    EXPECT_EQ(desk.lines().back(), "KeyRelease Left");
}

}  // namespace
