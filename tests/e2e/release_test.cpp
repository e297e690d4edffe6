// End to end: what the engine lets go of when it is killed in the middle of
// a gesture.
#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

// Starts a drag: button 1 held, tapping taken from the driver, the drag
// lock's hold on.
void start_drag(Desk &desk)
{
    desk.fingers({"f=1", "x=3000", "y=3000", "z=40"});
    desk.fingers({"f=0"});
    desk.fingers({"f=1", "x=3010", "y=3010", "z=40"});
    ASSERT_TRUE(desk.wait_for("ButtonPress 1"));
    ASSERT_TRUE(desk.wait_for_field("DragHoldButton", "1"));
    ASSERT_TRUE(desk.wait_for_field("TapButton1", "0"));
}

// The user's values, as the block held them before the engine started.
void expect_users_parameters(Desk &desk)
{
    EXPECT_EQ(desk.get("TapButton1"), "1");
    EXPECT_EQ(desk.get("TapButton2"), "0");
    EXPECT_EQ(desk.get("TapButton3"), "1");
    EXPECT_EQ(desk.get("DragHoldButton"), "0");
}

// Kills the engine mid-drag with SIGKILL, which it cannot clean up after.
void kill_mid_drag(Desk &desk)
{
    start_drag(desk);
    EXPECT_EQ(desk.engine().stop(SIGKILL), 128 + SIGKILL);
    desk.fingers({"f=0"});
}

TEST(Release, KilledMidDragTheEngineLetsGoOfButtonOneAndPutsTheDriverBack)
{
    Desk desk;  // TapButton3 was 1 before the engine started
    start_drag(desk);
    desk.settle(200);
    EXPECT_EQ(desk.engine().stop(SIGTERM), 128 + SIGTERM);
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    EXPECT_EQ(desk.lines(), (Lines{"ButtonPress 1", "ButtonRelease 1"}));
    expect_users_parameters(desk);
}

TEST(Release, KilledMidDragTheReleaseStepPutsTheDriverBack)
{
    Desk desk;  // TapButton3 was 1 before the engine started
    kill_mid_drag(desk);
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    RunResult r = run_program({bin_path("gestured"), "--release"}, opt);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 1"));
    expect_users_parameters(desk);
}

TEST(Release, AStartAfterAKillTakesTheUsersValuesNotTheDragTimeOnes)
{
    Desk desk;
    kill_mid_drag(desk);
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    Background again({bin_path("gestured")}, opt);
    // Its start-up commands have run (tapping is the driver's again) and a
    // signal now ends it through its release step.
    ASSERT_TRUE(wait_for_engine_threads(again.pid())) << again.err();
    ASSERT_TRUE(desk.wait_for_field("TapButton1", "1")) << again.err();
    EXPECT_EQ(again.stop(SIGTERM), 128 + SIGTERM);
    expect_users_parameters(desk);
}

TEST(Release, KilledWhileAKeydownIsStartingNothingIsPressedAfterTheRelease)
{
    // In a mount namespace of this test's own, a stand-in takes the place of
    // the xte the engine runs: a keydown waits a second before it acts. The
    // namespace stays the process's for the tests after this one, so the
    // stand-in is taken away again at the end.
    ASSERT_EQ(unshare(CLONE_NEWNS), 0);
    ASSERT_EQ(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    // The engine runs /usr/local/bin/xte where it is there, else the one on
    // the search path; the stand-in goes over the file either names.
    char *real =
        realpath(access("/usr/local/bin/xte", X_OK) == 0 ? "/usr/local/bin/xte" : "/usr/bin/xte", nullptr);
    ASSERT_NE(real, nullptr) << "xte is missing: install xautomation (scripts/setup.sh)";
    const std::string dir = make_temp_dir();
    const std::string copy = dir + "/real-xte";
    const std::string standin = dir + "/slow-xte";
    const std::string pid_file = dir + "/slow-xte-keydown";
    ASSERT_EQ(run_program({"cp", real, copy}).status, 0);
    std::ofstream(standin) << "#!/bin/sh\n"
                           << "case \"$*\" in *keydown*) echo $$ > " << pid_file << "; sleep 1;; esac\n"
                           << "exec " << copy << " \"$@\"\n";
    ASSERT_EQ(chmod(standin.c_str(), 0755), 0);
    ASSERT_EQ(mount(standin.c_str(), real, nullptr, MS_BIND, nullptr), 0);
    UnmountAtEnd unmount(real);
    free(real);

    Desk desk({}, "manual.pdf - Adobe Reader");
    desk.replay("scroll_right");  // a step is Escape, then Right down and up
    std::string pid;
    for (int i = 0; i < 2000 && (pid = first_line(pid_file)).empty(); ++i)
        sleep_ms(10);
    ASSERT_FALSE(pid.empty()) << "no keydown ran";
    EXPECT_EQ(desk.engine().stop(SIGTERM), 128 + SIGTERM);
    for (int i = 0; i < 1000 && !process_gone(pid); ++i)
        sleep_ms(10);
    ASSERT_TRUE(process_gone(pid));
    desk.settle();
    Lines lines = desk.lines();
    EXPECT_EQ(desk.count("KeyPress Right"), desk.count("KeyRelease Right"));
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back(), "KeyPress Right") << "Right pressed after the engine let go";
}

TEST(Release, KilledWhileSwitchingWindowsTheEngineLetsGoOfAlt)
{
    Desk desk({"FastKeyCheckBox=1"});
    ASSERT_TRUE(desk.start_window_switch());
    desk.settle(200);
    EXPECT_EQ(desk.engine().stop(SIGINT), 128 + SIGINT);
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    EXPECT_EQ(desk.lines(), (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab", "KeyRelease Alt_L"}));
}

TEST(Release, KilledDuringAutoScrollTheEngineLetsGoOfTheArrowKey)
{
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
