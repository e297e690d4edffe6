// End to end on real laptops' recordings: vorellpad replays each into the
// block, the real gestured turns it into input, and the recorder shows what
// reached the X server.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/shm.h>

#include "desk.h"
#include "report_signal.h"
#include "touchpad_block.h"

namespace {

using Lines = std::vector<std::string>;

struct RecordingCase {
    const char *file;
    std::vector<std::string> settings;
    Lines expected;  // exactly this reaches the server
};

void PrintTo(const RecordingCase &c, std::ostream *os) { *os << c.file; }

const Lines kNothing;
const Lines kPageDown{"KeyPress Next", "KeyRelease Next"};
const Lines kPageUp{"KeyPress Prior", "KeyRelease Prior"};
const Lines kWheelRight{"ButtonPress 7", "ButtonRelease 7"};

// Tap actions that no other gesture gives: Page_Down for two fingers, the
// sideways wheel for three. For clicks the physical buttons are remapped to
// keys (left Page_Down, right Page_Up) and the tap actions do nothing, so
// each click shows which button the pad pressed.
const std::vector<std::string> kTaps{"TwoFTComboBox=8", "ThreeFTComboBox=12"};
const std::vector<std::string> kClicks{"ButtonCheckBox=1",      "ButtonLeftComboBox=8",
                                       "ButtonRightComboBox=9", "ButtonMiddleComboBox=10",
                                       "TwoFTComboBox=7",       "ThreeFTComboBox=7"};

Lines repeat(const Lines &unit, int n)
{
    Lines out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

RunResult replay(Desk &desk, const std::string &file)
{
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    opt.timeout_s = 60;
    return run_program({bin_path("vorellpad"), "--replay", std::string(PAD_RECORDINGS) + "/" + file}, opt);
}

class RecordingReplay : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(RecordingReplay, ReachesTheDesktopAsTheGesture)
{
    const RecordingCase &c = GetParam();
    Desk desk(c.settings);
    RunResult r = replay(desk, c.file);
    ASSERT_EQ(r.status, 0) << r.err;
    if (!c.expected.empty()) {
        ASSERT_TRUE(desk.wait_for(c.expected.back(), 1, 20))
            << "seen: " << ::testing::PrintToString(desk.lines());
    }
    desk.settle(600);
    EXPECT_EQ(desk.lines(), c.expected);
    TouchpadSharedBlock *block = attach_shared_block();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->NewStructFingers.f, 0) << "every finger lifted at the end";
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, RecordingReplay,
    ::testing::Values(RecordingCase{"pad-a.one-finger-tap.evemu", kTaps, kNothing},
                      RecordingCase{"pad-a.double-tap.evemu", kTaps, kNothing},
                      RecordingCase{"pad-a.right-edge-slide.evemu", kTaps, kNothing},
                      RecordingCase{"pad-a.two-finger-tap.evemu", kTaps, kPageDown},
                      RecordingCase{"pad-c.two-finger-tap.evemu", kTaps, kPageDown},
                      RecordingCase{"pad-c.three-finger-tap.evemu", kTaps, kWheelRight},
                      // The pad's firmware reports multi-finger clicks as its right button.
                      RecordingCase{"pad-c.two-finger-click.evemu", kClicks, kPageUp},
                      RecordingCase{"pad-c.three-finger-click.evemu", kClicks, kPageUp},
                      // One, two and three fingers click the middle of a clickpad: left.
                      RecordingCase{"pad-m.three-finger-click.evemu", kClicks, repeat(kPageDown, 3)}),
    [](const ::testing::TestParamInfo<RecordingCase> &info) {
        std::string name = info.param.file;
        name = name.substr(0, name.size() - 6);
        for (char &ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

// The scroll recording's wheel clicks: only vertical ones, both ways.
void expect_vertical_scroll(Desk &desk)
{
    desk.settle(600);
    const Lines lines = desk.lines();
    int clicks = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &l = lines[i];
        EXPECT_TRUE(l == "ButtonPress 4" || l == "ButtonRelease 4" || l == "ButtonPress 5" ||
                    l == "ButtonRelease 5")
            << "unexpected " << l;
        clicks += l.rfind("ButtonPress", 0) == 0;
    }
    EXPECT_GE(clicks, 4) << "a scroll up and down the pad is several wheel clicks";
    EXPECT_GT(desk.count("ButtonPress 4"), 0);
    EXPECT_GT(desk.count("ButtonPress 5"), 0);
}

TEST(RecordingReplayScroll, TwoFingerScrollGivesOnlyVerticalWheelClicks)
{
    Desk desk(kTaps);
    TouchpadSharedBlock *block = attach_shared_block();
    ASSERT_NE(block, nullptr);
    const uint32_t sequence = report_signal_sequence(block);
    RunResult r = replay(desk, "pad-s.two-finger-scroll-vertical.evemu");
    ASSERT_EQ(r.status, 0) << r.err;
    // Every report was signalled, and the word taken back at the end.
    EXPECT_GT(report_signal_sequence(block) - sequence, 20u);
    EXPECT_EQ(block->report_publisher, 0);
    shmdt(block);
    expect_vertical_scroll(desk);
}

// The scroll recording with an empty report kPauseS before it, in a file of
// the test's own.
constexpr double kPauseS = 6;

std::string paused_scroll_recording()
{
    std::istringstream in(read_file(std::string(PAD_RECORDINGS) + "/pad-s.two-finger-scroll-vertical.evemu"));
    std::string header, events, line;
    double first = -1;
    while (std::getline(in, line)) {
        if (line.rfind("E: ", 0) != 0) {
            header += line + "\n";
            continue;
        }
        if (first < 0)
            first = std::stod(line.substr(3));
        events += line + "\n";
    }
    char pause[64];
    snprintf(pause, sizeof pause, "E: %.6f 0000 0000 0\n", first - kPauseS);
    std::string path = make_temp_dir() + "/paused-scroll.evemu";
    std::ofstream(path) << header << pause << events;
    return path;
}

// Someone removes the block while vorellpad replays: vorellpad makes it
// again with the same settings, the engine follows it there, and the rest
// of the recording still reaches the desktop.
TEST(RecordingReplayScroll, ABlockRemovedUnderVorellpadIsMadeAgainAndStillFed)
{
    Desk desk(kTaps);
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    Background pad({bin_path("vorellpad"), "--replay", paused_scroll_recording()}, opt);
    ASSERT_TRUE(wait_until([&] {
        return pad.err().find("took over the touchpad block") != std::string::npos;
    })) << pad.err();
    tpsim({"remove"});

    // Within the pause: a block under the key again, with the test's
    // settings, and the engine on it.
    EXPECT_TRUE(wait_until(
        [] {
            return run_program({"tpsim", "get", "TwoFTComboBox"}).out == "8\n";
        },
        5))
        << pad.err();
    EXPECT_TRUE(wait_until(
        [&] {
            return desk.engine().err().find("touchpad block re-created, attached again") != std::string::npos;
        },
        5));
    ASSERT_EQ(pad.wait(60), 0) << pad.err();
    expect_vertical_scroll(desk);
    EXPECT_EQ(count_of(pad.err(), "the touchpad block was removed; made it again with the same settings\n"),
              1)
        << pad.err();
}

}  // namespace
