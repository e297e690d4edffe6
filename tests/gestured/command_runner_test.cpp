// The bounded command runner with stand-in commands that hang: killed with
// their process group after the bound, counted, reported once per program;
// and the end of everything in flight that the signal path relies on.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "command_queue.h"
#include "command_runner_inspect.h"
#include "support.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

class CommandRunner : public ::testing::Test {
protected:
    void SetUp() override { run_commands_reset(); }
    void TearDown() override { run_commands_reset(); }
    std::string dir = make_temp_dir() + "/";
};

TEST_F(CommandRunner, HangingCommandsAreKilledWithTheirGroupAndReportedOncePerProgram)
{
    const std::string pid_file = dir + "runner_background_pid";
    struct Case {
        std::string command;
        int kills_after;
        bool reported;
    } cases[] = {
        // The shell's background job is in the same group and dies with it.
        {"sleep 30 & echo $! > " + pid_file + "; wait", 1, true},
        {"sleep 30", 2, false},  // the same program again: counted only
        {"/bin/sleep 30", 3, true},
        {"true", 3, false},
        {"sleep 30 &", 3, false},  // returns as soon as the job has started
    };
    for (const Case &c : cases) {
        testing::internal::CaptureStderr();
        const auto t0 = std::chrono::steady_clock::now();
        run_command_bounded(c.command.c_str());
        const double took = seconds_since(t0);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_LT(took, 15.0) << c.command;
        EXPECT_EQ(run_command_kills(), c.kills_after) << c.command;
        if (c.reported)
            EXPECT_NE(err.find("did not finish within 1500 ms and was killed"), std::string::npos)
                << c.command << ": " << err;
        else
            EXPECT_EQ(err, "") << c.command;
    }
    const std::string background = first_line(pid_file);
    ASSERT_FALSE(background.empty());
    for (int i = 0; i < 500 && !process_gone(background); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(process_gone(background)) << "the background job outlived its group's kill";
}

TEST_F(CommandRunner, EndingWhatIsInFlightKillsItAndRefusesAllButFinalCommands)
{
    const std::string started = dir + "runner_started";
    const std::string acted = dir + "runner_acted";
    const std::string refused = dir + "runner_refused";
    const std::string final_ran = dir + "runner_final";

    // A command that is still getting ready to act when the signal comes.
    const std::string slow = "touch " + started + "; sleep 30; touch " + acted;
    std::thread runner([&] { run_command_bounded(slow.c_str()); });
    for (int i = 0; i < 1000 && !std::ifstream(started).good(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::ifstream(started).good());

    run_commands_end_in_flight();
    runner.join();
    EXPECT_FALSE(std::ifstream(acted).good());
    EXPECT_EQ(run_command_kills(), 0) << "ended, not timed out";

    run_command_bounded(("touch " + refused).c_str());
    EXPECT_FALSE(std::ifstream(refused).good());
    run_command_final(("touch " + final_ran).c_str());
    EXPECT_TRUE(std::ifstream(final_ran).good());
}

TEST_F(CommandRunner, CommandsInOrderRunAfterOneAnotherWithoutHoldingUpTheCaller)
{
    const std::string go = dir + "queue_go";
    const std::string out = dir + "queue_out";
    // The first line waits for a file the test makes only once both calls
    // have returned: a caller that waited would see it killed at the bound
    // and only "b" written.
    const std::string first = "while [ ! -e " + go + " ]; do sleep 0.01; done; echo a >> " + out;
    const std::string second = "echo b >> " + out;
    run_command_in_order(first.c_str());
    run_command_in_order(second.c_str());
    EXPECT_FALSE(std::ifstream(out).good());
    std::ofstream(go).put('\n');
    EXPECT_TRUE(wait_until([&] { return read_file(out) == "a\nb\n"; })) << read_file(out);
    EXPECT_EQ(run_command_kills(), 0);
}

}  // namespace
