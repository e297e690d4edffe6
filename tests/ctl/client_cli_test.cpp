// The built clients against a real block in a private IPC namespace:
// standard output, standard error and exit status compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"

namespace {

const std::string kUsage =
    "Usage: vorellctl [-m interval] [-h] [-l] [-V] [-?] [var1=value1 [var2=value2] ...]\n"
    "  -m monitor changes to the touchpad state.\n"
    "     interval specifies how often (in ms) to poll the touchpad state\n"
    "  -h Show detected hardware properties\n"
    "  -l List current user settings\n"
    "  -V Print vorellctl version string and exit\n"
    "  -? Show this help message\n"
    "  var=value  Set user parameter 'var' to 'value'.\n";
const std::string kNoBlock = "Can't access shared memory area. SHMConfig disabled?\n";
const std::string kBadSize = "Incorrect size of shared memory area. Incompatible driver version?\n";

RunResult ctl(const std::string &prog, std::vector<std::string> args)
{
    args.insert(args.begin(), bin_path(prog));
    return run_program(args);
}

std::string get(const std::string &field) { return run_program({bin_path("tpsim"), "get", field}).out; }

class Client : public ::testing::Test {
protected:
    void SetUp() override { enter_private_ipc(); }
};

}  // namespace

TEST_F(Client, UsageCasesNeedNoBlock)
{
    for (const char *prog : {"vorellctl", "vorellctl2"}) {
        for (const std::vector<std::string> &args :
             {std::vector<std::string>{}, {"-h"}, {"-m", "-1"}, {"-l", "-h", "MaxTapTime=1"}}) {
            RunResult r = ctl(prog, args);
            EXPECT_EQ(r.status, 1) << prog;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, kUsage);
        }
        // "?" is not in the option string, so the parser speaks first
        for (const std::string opt : {"x", "?"}) {
            RunResult r = ctl(prog, {"-" + opt});
            EXPECT_EQ(r.status, 1);
            std::string expected = bin_path(prog);
            expected.append(": invalid option -- '").append(opt).append("'\n").append(kUsage);
            EXPECT_EQ(r.err, expected);
        }
        RunResult r = ctl(prog, {"-m"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, bin_path(prog) + ": option requires an argument -- 'm'\n" + kUsage);
        // -V is acted on where it stands, before the block is looked for
        r = ctl(prog, {"-l", "-V", "-x"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "QPX7.1.3.10\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(Client, BlockFailuresEndWithStatusOneAndSetNothing)
{
    RunResult r = ctl("vorellctl", {"-l"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kNoBlock);

    tpsim({"create", "--size", "512"});
    r = ctl("vorellctl2", {"TouchpadOff=1", "-l"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kBadSize);
    tpsim({"remove"});

    // readable but not writable for an ordinary user: the attach is refused
    tpsim({"create", "--mode", "0644"});
    r = run_program({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", bin_path("vorellctl"),
                     "TouchpadOff=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "shmat: Permission denied\n");
    EXPECT_EQ(get("TouchpadOff"), "0\n");
}

TEST_F(Client, ListingsOfBothBuildsMatchTheSavedForm)
{
    tpsim({"create"});
    for (const std::string prog : {"vorellctl", "vorellctl2"}) {
        RunResult r = ctl(prog, {"-l"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, read_file(source_dir() + "/tests/ctl/golden/" + prog + "-defaults.txt")) << prog;
    }
}

TEST_F(Client, AssignmentsApplyBeforeTheListingAndBadOnesAreReported)
{
    tpsim({"create"});
    RunResult r = ctl("vorellctl", {"-l", "MaxTapTime", "Foo=1", "maxtaptime=200", "MaxSpeed=nan",
                                    "TapButton1=3.5", "DragSlider=2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find("Parameter settings:")),
              "Invalid command: MaxTapTime\nUnknown parameter Foo\nUnknown parameter DragSlider\n");
    EXPECT_NE(r.out.find("\n    MaxTapTime              = 200\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n    MaxSpeed                = 0.025\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n    TapButton1              = 4\n"), std::string::npos);

    r = ctl("vorellctl2", {"DragSlider=2.75", "MaxSpeed=2", "ScrollingSpeedSlider=-nan"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(get("DragSlider"), "2.75\n");
    EXPECT_EQ(get("MaxSpeed"), "1\n");
    EXPECT_EQ(get("ScrollingSpeedSlider"), "1\n");
}

TEST_F(Client, MonitorPrintsTheReplayedTraceColumnByColumn)
{
    tpsim({"create"});
    Background mon({bin_path("vorellctl2"), "-m", "1"});
    ASSERT_TRUE(mon.wait_for_output("\n", 10));  // the first state is printed at once
    const std::string trace = source_dir() + "/tests/ctl/traces/two-finger-and-buttons.trace";
    tpsim({"replay", trace});
    sleep_ms(100);
    mon.stop();
    // Every data line of the trace shows up, in order, after the initial one.
    std::vector<std::string> want, got;
    auto columns = [](const std::string &line) { return line.size() > 10 ? line.substr(10) : line; };
    auto data_lines = [&](const std::string &text, std::vector<std::string> &lines) {
        size_t pos = 0, nl;
        while ((nl = text.find('\n', pos)) != std::string::npos) {
            std::string line = text.substr(pos, nl - pos);
            pos = nl + 1;
            if (line.find("time") == std::string::npos && !line.empty() && line[0] != '#')
                lines.push_back(columns(line));
        }
    };
    data_lines(read_file(trace), want);
    data_lines(mon.out(), got);
    ASSERT_EQ(got.size(), want.size() + 1) << mon.out();
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i + 1], want[i]) << "line " << i + 1;
}

TEST_F(Client, MonitorWithAHugeIntervalSleepsItWhole)
{
    tpsim({"create"});
    tpsim({"set", "NewStruct=0"});  // vorellctl watches the old record
    Background mon({bin_path("vorellctl"), "-m", "99999999999"});
    ASSERT_TRUE(mon.wait_for_output("\n   0.000", 10));
    tpsim({"fingers", "--old", "f=1", "x=10", "y=20"});
    sleep_ms(300);
    EXPECT_TRUE(mon.running());
    EXPECT_EQ(mon.err(), "");
    // header and the first state only: the pause did not overflow into a
    // short or busy one
    std::string out = mon.out();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_EQ(mon.stop(), 128 + 15);
}
