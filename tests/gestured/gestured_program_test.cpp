// The gestured program as a whole: its option, the start-up commands'
// effect on a simulator block, and giving up without a block.
#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {

std::string block_values(const std::vector<std::string> &names)
{
    std::vector<std::string> argv = {"tpsim", "get"};
    argv.insert(argv.end(), names.begin(), names.end());
    return run_program(argv).out;
}

const std::vector<std::string> kStartupFields = {"NewStruct", "TapButton1", "TapButton2", "TapButton3"};

TEST(GestureProgram, VersionOptionPrintsVersionAndDoesNothingElse)
{
    enter_private_ipc();
    tpsim({"create"});
    tpsim({"set", "NewStruct=0", "TapButton1=0", "TapButton2=2", "TapButton3=3"});
    RunResult r = run_program({"gestured", "-v"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "QPX7.1.3.10\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(block_values(kStartupFields), "0\n0\n2\n3\n") << "no start-up command ran";
}

TEST(GestureProgram, StartupCommandsPutDriverIntoEngineState)
{
    enter_private_ipc();
    Xvfb x;
    tpsim({"create"});
    tpsim({"set", "NewStruct=0", "TapButton1=0", "TapButton2=2", "TapButton3=3"});
    // An unknown option is reported by the option parser and otherwise
    // ignored.
    Background g({"gestured", "-q"}, RunOptions{"", {x.env()}, "", 20.0});
    EXPECT_TRUE(wait_until([] { return block_values(kStartupFields) == "1\n1\n0\n0\n"; }, 20.0))
        << block_values(kStartupFields);
    EXPECT_TRUE(g.running());
    EXPECT_NE(g.err().find("invalid option"), std::string::npos) << g.err();
    g.stop();
}

TEST(GestureProgram, EndsWithStatusOneWhenTheBlockCannotBeAttached)
{
    enter_private_ipc();
    Xvfb x;
    Background g({"gestured"}, RunOptions{"", {x.env()}, "", 20.0});
    int status = g.wait(20.0);
    EXPECT_EQ(status, 1) << g.err();
    const std::string needle = "Can't access shared memory area. SHMConfig disabled?\n";
    int n = 0;
    std::string err = g.err();
    for (size_t at = err.find(needle); at != std::string::npos; at = err.find(needle, at + 1))
        ++n;
    // Fifty attempts of the sampler, plus whatever the parameter clients of
    // the start-up commands reported.
    EXPECT_GE(n, 50);
}

}  // namespace
