#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "finger_trace.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

RunResult sim(std::vector<std::string> args, const std::string &input = "")
{
    args.insert(args.begin(), bin_path("tpsim"));
    RunOptions opt;
    opt.input = input;
    return run_program(args, opt);
}

std::string get(const std::string &field) { return sim({"get", field}).out; }

// Several fields at once: their values one a line, in the order asked.
std::string get_all(const std::vector<std::string> &fields)
{
    std::vector<std::string> args{"get"};
    args.insert(args.end(), fields.begin(), fields.end());
    return sim(args).out;
}

class Simulator : public ::testing::Test {
protected:
    void SetUp() override { enter_private_ipc(); }
};

}  // namespace

TEST(TraceLine, ReadsTheMonitorsDataLines)
{
    TraceStep s;
    const char *why = "";
    ASSERT_EQ(parse_trace_line(
                  "  12.345  100  200  30   4  1  1 0 1 0 1  00100001     0    0     0    0     0    0\n", &s,
                  &why),
              TraceLine::kStep);
    EXPECT_DOUBLE_EQ(s.time, 12.345);
    EXPECT_EQ(s.state.x, 100);
    EXPECT_EQ(s.state.w, 4);
    EXPECT_EQ(s.state.f, 1);
    EXPECT_EQ(s.state.u, 1);
    EXPECT_EQ(s.state.m, 1);
    EXPECT_EQ(s.state.multi[2], 1);
    EXPECT_EQ(s.state.multi[7], 1);
    EXPECT_EQ(parse_trace_line(
                  "    time     x    y   z   w  f  l r u d m     multi  x2_1 y2_1  x2_2 y2_2  x3_1 y3_1\n",
                  &s, &why),
              TraceLine::kSkip);
    EXPECT_EQ(parse_trace_line("   \n", &s, &why), TraceLine::kSkip);
    EXPECT_EQ(parse_trace_line("# note\n", &s, &why), TraceLine::kSkip);

    const char *bad[] = {
        "0.1 1 2 3\n",                                       // too few
        "0.1 1 2 3 4 1 0 0 0 0 0 0000000 0 0 0 0 0 0\n",     // seven multi digits
        "0.1 1 2 3 4 1 0 0 0 0 0 00000000 0 0 0 0 0 0 9\n",  // too many
        "-1 1 2 3 4 1 0 0 0 0 0 00000000 0 0 0 0 0 0\n",     // negative time
        "nan 1 2 3 4 1 0 0 0 0 0 00000000 0 0 0 0 0 0\n",
        "0.1 1 2 3 4 1 0 0 0 0 0 00000000 0 0 0 0 0 99999999999\n",  // not 32-bit
        "0.1 1 2 3 4 x 0 0 0 0 0 00000000 0 0 0 0 0 0\n",
    };
    for (const char *line : bad)
        EXPECT_EQ(parse_trace_line(line, &s, &why), TraceLine::kBad) << line;
}

TEST_F(Simulator, CreatesDefaultsAndSetsAnyFieldByName)
{
    EXPECT_EQ(sim({"get", "NewStruct"}).status, 1);
    ASSERT_EQ(sim({"create"}).status, 0);
    RunResult again = sim({"create"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("exists already"), std::string::npos);
    EXPECT_EQ(get_all({"NewStruct", "TappingCheckBox", "VerticalScrollingCheckBox"}), "1\n1\n1\n");
    EXPECT_EQ(sim({"set", "NewStructFingers.multi[3]=1", "dragslider=1.5", "x=-5"}).status, 0);
    EXPECT_EQ(get_all({"NewStructFingers.multi[3]", "DragSlider", "x"}), "1\n1.5\n-5\n");
    EXPECT_EQ(sim({"dump"}).out.find("TP_Version = 1\n"), 0u);
}

TEST_F(Simulator, RefusesBadInputWithoutWritingAnything)
{
    ASSERT_EQ(sim({"create"}).status, 0);
    RunResult r = sim({"set", "TouchpadOff=1", "Bogus=2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tpsim: unknown field 'Bogus'\n");
    EXPECT_EQ(get("TouchpadOff"), "0\n");  // the valid one before it was not written
    EXPECT_EQ(sim({"set", "DragSlider=nan"}).status, 2);
    EXPECT_EQ(sim({"set", "MaxTapTime=12abc"}).status, 2);
    EXPECT_EQ(sim({"fingers", "f=2", "q=1"}).status, 2);
    r = sim({"frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Usage: tpsim"), std::string::npos);
    EXPECT_EQ(sim({"--help"}).status, 0);

    // A malformed line anywhere stops the replay before its first state.
    r = sim({"replay", "-"},
            "0.000 0 0 0 0 2 0 0 0 0 0 00000000 100 100 200 200 0 0\n"
            "# fine so far\n"
            "0.010 0 0 0 0 2 0 0 0 0 0 0000 100 100 200 200 0 0\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tpsim: -:3: multi must be eight digits\n");
    EXPECT_EQ(get("NewStructFingers.f"), "0\n");
    EXPECT_EQ(get("NewStructFingers.x2_1"), "0\n");
}

TEST_F(Simulator, FingerStatesAreWholeAndGoToTheSelectedRecord)
{
    ASSERT_EQ(sim({"create"}).status, 0);
    ASSERT_EQ(sim({"fingers", "f=2", "x2_1=10", "y2_1=20", "x2_2=30", "y2_2=40", "l=1"}).status, 0);
    EXPECT_EQ(get_all({"NewStructFingers.f", "NewStructFingers.y2_2", "OldStructFingers.f"}), "2\n40\n0\n");
    // the next state replaces the whole record: unnamed columns become 0
    ASSERT_EQ(sim({"fingers", "f=1", "x=5", "y=6"}).status, 0);
    EXPECT_EQ(get_all({"NewStructFingers.x2_1", "NewStructFingers.l"}), "0\n0\n");
    ASSERT_EQ(sim({"fingers", "--old", "f=3", "x3_1=7"}).status, 0);
    EXPECT_EQ(get_all({"OldStructFingers.x3_1", "NewStructFingers.f"}), "7\n1\n");
}

TEST_F(Simulator, ReplayKeepsTheTraceTiming)
{
    ASSERT_EQ(sim({"create"}).status, 0);
    Background mon({bin_path("vorellctl2"), "-m", "1"});
    ASSERT_TRUE(mon.wait_for_output("\n", 10));
    RunResult r = sim({"replay", "-"},
                      "5.000 1 1 0 0 1 0 0 0 0 0 00000000 0 0 0 0 0 0\n"
                      "5.300 2 2 0 0 1 0 0 0 0 0 00000000 0 0 0 0 0 0\n");
    EXPECT_EQ(r.status, 0) << r.err;
    sleep_ms(50);
    mon.stop();
    // the last two data lines are the two replayed states
    std::vector<double> times;
    std::string out = mon.out();
    for (size_t pos = 0; pos < out.size(); pos = out.find('\n', pos) + 1) {
        double t;
        if (sscanf(out.c_str() + pos, "%lf", &t) == 1)
            times.push_back(t);
        if (out.find('\n', pos) == std::string::npos)
            break;
    }
    ASSERT_EQ(times.size(), 3u) << out;
    double t1 = times[1], t2 = times[2];
    EXPECT_GT(t2 - t1, 0.25);  // the 300 ms gap is kept, not squeezed
}
