// Replay timing on the clock seam, and the X driver guard against a display
// with no touchpad and against none at all.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

#include "block_defaults.h"
#include "block_publisher.h"
#include "replay.h"
#include "support.h"
#include "x_properties.h"

namespace {

// A clock that stands still until the replay sleeps, and then jumps to the
// time it sleeps until, noting the time and the finger count it saw then;
// reports go into block.
struct FakeClock {
    int64_t now = 0;
    TouchpadSharedBlock *block = nullptr;
    std::vector<int64_t> sleeps;
    std::vector<int> f_at_sleep;

    ReplayPlatform platform()
    {
        return {[](void *ctx) { return static_cast<FakeClock *>(ctx)->now; },
                [](void *ctx, int64_t until) {
                    FakeClock *c = static_cast<FakeClock *>(ctx);
                    c->sleeps.push_back(until);
                    c->f_at_sleep.push_back(c->block->NewStructFingers.f);
                    c->now = until;
                },
                [](void *ctx, const FingerState &state) {
                    publish_state(static_cast<FakeClock *>(ctx)->block, state);
                },
                this};
    }
};

TEST(Replay, ReportsAreWrittenAtTheirRecordedOffsetsAndTheFingersLiftedAtTheEnd)
{
    alignas(8) static unsigned char mem[kTouchpadShmSize];
    fill_default_block(mem);
    TouchpadSharedBlock *block = reinterpret_cast<TouchpadSharedBlock *>(mem);
    Recording rec;
    std::string error;
    const std::string text =
        "A: 2f 0 1 0 0\nA: 35 0 1000 0 0\nA: 36 0 1000 0 0\n"
        "E: 5.000000 0003 0039 1\nE: 5.000000 0003 0035 500\n"
        "E: 5.000000 0003 0036 500\nE: 5.000000 0000 0000 0\n"
        "E: 5.012000 0003 0035 520\nE: 5.012000 0000 0000 0\n"
        "E: 5.250000 0003 0035 540\nE: 5.250000 0000 0000 0\n";
    ASSERT_TRUE(parse_recording(text.data(), text.size(), "t", &rec, &error)) << error;
    FakeClock clock;
    clock.now = 1000;
    clock.block = block;
    EXPECT_EQ(replay_recording(rec, clock.platform()), 4);
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{1000 + 12000, 1000 + 250000}));
    EXPECT_EQ(clock.f_at_sleep, (std::vector<int>{1, 1})) << "the finger is down between reports";
    EXPECT_EQ(block->NewStructFingers.f, 0);
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
        EXPECT_NE(message.find("no X display; publishing the touchpad block"), std::string::npos) << message;
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
