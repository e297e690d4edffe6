// End to end in a desktop session: the release step after the engine was
// killed outright, and the engine carrying on after the driver made the
// block anew.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

TEST(Session, ReleaseStepLetsGoOfAltAfterTheEngineWasKilledMidSwitch)
{
    Desk desk({"FastKeyCheckBox=1"});
    ASSERT_TRUE(desk.start_window_switch());
    desk.settle(200);
    // Nothing can catch SIGKILL: Alt_L stays down on the server.
    EXPECT_EQ(desk.engine().stop(SIGKILL), 128 + SIGKILL);
    desk.settle(200);
    EXPECT_EQ(desk.count("KeyRelease Alt_L"), 0);

    RunResult release = run_program({"gestured", "--release"}, RunOptions{"", {desk.x().env()}, "", 20.0});
    EXPECT_EQ(release.status, 0);
    EXPECT_EQ(release.err, "");
    ASSERT_TRUE(desk.wait_for("KeyRelease Alt_L"));
    desk.settle();
    EXPECT_EQ(desk.lines(), (Lines{"KeyPress Alt_L", "KeyPress Tab", "KeyRelease Tab", "KeyRelease Alt_L"}));

    // With nothing held it sends nothing.
    EXPECT_EQ(run_program({"gestured", "--release"}, RunOptions{"", {desk.x().env()}, "", 20.0}).status, 0);
    desk.settle();
    EXPECT_EQ(desk.lines().size(), 4u);
}

TEST(Session, ScrollingWorksAgainAfterTheBlockIsMadeAnew)
{
    Desk desk({}, "", {"--debug"});
    desk.replay("scroll_down");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 5", 12));

    tpsim({"remove"});
    tpsim({"create"});
    desk.forget_block();
    const std::string said = "gestured: touchpad block re-created, attached again\n";
    double waited = 0;
    while (count_of(desk.engine().err(), said) == 0 && waited < 20) {
        sleep_ms(20);
        waited += 0.02;
    }
    ASSERT_EQ(count_of(desk.engine().err(), said), 1) << desk.engine().err();
    // The start-up commands run again, on the new block (--debug shows each
    // as it starts).
    const std::string last = "gestured:   command: vorellctl TapButton3=0\n";
    auto after = [&] {
        const std::string err = desk.engine().err();
        return err.substr(err.find(said));
    };
    for (waited = 0; count_of(after(), last) == 0 && waited < 20; waited += 0.02)
        sleep_ms(20);
    for (const char *command : {"vorellctl2 NewStruct=1", "vorellctl TapButton1=1", "vorellctl TapButton2=0",
                                "vorellctl TapButton3=0"})
        EXPECT_EQ(count_of(after(), std::string("gestured:   command: ") + command + "\n"), 1) << command;

    desk.replay("scroll_down");
    EXPECT_TRUE(desk.wait_for("ButtonRelease 5", 24)) << desk.engine().err();
    EXPECT_TRUE(desk.engine().running());
    // --debug named the gesture and its wheel click.
    const std::string err = desk.engine().err();
    EXPECT_NE(err.find("gestured: gesture GESTURE_SCROLL_Y_INC (6)"), std::string::npos) << err;
    EXPECT_NE(err.find("gestured:   button click 5\n"), std::string::npos) << err;
}

}  // namespace
