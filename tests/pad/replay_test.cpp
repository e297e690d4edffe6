// Replay timing on the clock seam, and the X driver guard against a display
// with no touchpad and against none at all.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

#include "block_defaults.h"
#include "replay.h"
#include "support.h"
#include "x_properties.h"

namespace {

int64_t g_now = 0;
std::vector<int64_t> g_sleeps;
TouchpadSharedBlock *g_block = nullptr;
std::vector<int> g_f_at_sleep;

int64_t fake_now() { return g_now; }
void fake_sleep(int64_t until)
{
    g_sleeps.push_back(until);
    g_f_at_sleep.push_back(g_block->NewStructFingers.f);
    g_now = until;
}

TEST(Replay, ReportsAreWrittenAtTheirRecordedOffsetsAndTheFingersLiftedAtTheEnd)
{
    alignas(8) static unsigned char mem[kTouchpadShmSize];
    fill_default_block(mem);
    g_block = reinterpret_cast<TouchpadSharedBlock *>(mem);
    Recording rec;
    std::string error;
    const std::string text = "A: 2f 0 1 0 0\nA: 35 0 1000 0 0\nA: 36 0 1000 0 0\n"
                             "E: 5.000000 0003 0039 1\nE: 5.000000 0003 0035 500\n"
                             "E: 5.000000 0003 0036 500\nE: 5.000000 0000 0000 0\n"
                             "E: 5.012000 0003 0035 520\nE: 5.012000 0000 0000 0\n"
                             "E: 5.250000 0003 0035 540\nE: 5.250000 0000 0000 0\n";
    ASSERT_TRUE(parse_recording(text.data(), text.size(), "t", &rec, &error)) << error;
    g_now = 1000;
    g_sleeps.clear();
    g_f_at_sleep.clear();
    ReplayClock clock;
    clock.now_us = fake_now;
    clock.sleep_until_us = fake_sleep;
    EXPECT_EQ(replay_recording(rec, g_block, clock), 4);
    EXPECT_EQ(g_sleeps, (std::vector<int64_t>{1000 + 12000, 1000 + 250000}));
    EXPECT_EQ(g_f_at_sleep, (std::vector<int>{1, 1})) << "the finger is down between reports";
    EXPECT_EQ(g_block->NewStructFingers.f, 0);
}

TEST(XDriverGuard, SaysWhyItCannotSwitchTheDriverOff)
{
    std::string message;
    {
        const char *old = getenv("DISPLAY");
        std::string saved = old ? old : "";
        unsetenv("DISPLAY");
        XDriverGuard guard;
        EXPECT_FALSE(guard.attach("/dev/input/event5", &message));
        EXPECT_NE(message.find("no X display; publishing the touchpad block"), std::string::npos)
            << message;
        if (old)
            setenv("DISPLAY", saved.c_str(), 1);
    }
    Xvfb x;
    setenv("DISPLAY", x.display().c_str(), 1);
    XDriverGuard guard;
    EXPECT_FALSE(guard.attach("/dev/input/event5", &message));
    EXPECT_NE(message.find("does not drive /dev/input/event5"), std::string::npos) << message;
    guard.mirror_touchpad_off(1);  // nothing to change, and no X error ends the test
    guard.restore();
}

}  // namespace
