// The sampler against a real block made by the simulator: attach failures,
// the change test, what a record carries, the ring (wrap, never
// overwriting), the snapshot, latches, pointer reset and poll pauses. The
// clock and the command runner are fakes; the block is real.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sampler_thread.h"
#include "support.h"

namespace {

// The engine state this test's engine runs on.
EngineShared engine;

struct FakePlatform {
    double now = 1000.0;
    int posts = 0;
    std::vector<std::string> commands;
};

double fake_now(void *ctx) { return static_cast<FakePlatform *>(ctx)->now; }
void fake_post(void *ctx) { static_cast<FakePlatform *>(ctx)->posts++; }
void fake_run(void *ctx, const char *cmd) { static_cast<FakePlatform *>(ctx)->commands.push_back(cmd); }

class Sampler : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        tpsim({"create"});
        block = attach_shared_block();
        ASSERT_NE(block, nullptr);
        engine.reset();
        ports = SamplerPorts{fake_now, fake_post, fake_run, &platform};
        sampler_start(&state, platform.now, engine);
    }
    int poll() { return sampler_poll(&state, block, engine, ports); }
    // A poll whose records the recogniser has read.
    void poll_read()
    {
        const int before = engine.ring.unread.load();
        poll();
        while (engine.ring.unread.load() > before)
            consume();
    }
    FingerRecord &fingers() { return block->NewStructFingers; }
    // What the recogniser does after each record.
    void consume()
    {
        engine.ring.unread--;
        engine.ring.tail = (engine.ring.tail + 1) % kSampleRingSize;
    }
    const SampleRecord &last_record()
    {
        int head = engine.ring.head.load();
        return engine.ring.entries[(head + kSampleRingSize - 1) % kSampleRingSize];
    }

    TouchpadSharedBlock *block = nullptr;
    FakePlatform platform;
    SamplerPorts ports{};
    static SamplerState state;
};
SamplerState Sampler::state;

TEST_F(Sampler, FirstPollRecordsThenOnlyChangesOtherThanZ)
{
    poll();
    EXPECT_EQ(platform.posts, 1);
    EXPECT_EQ(engine.ring.head.load(), 1);
    poll();
    EXPECT_EQ(platform.posts, 1) << "no change, no record";
    block->z = 77;
    poll();
    EXPECT_EQ(platform.posts, 1) << "z alone is not a change";
    int32_t FingerRecord::*const fields[] = {&FingerRecord::l, &FingerRecord::r, &FingerRecord::u,
                                             &FingerRecord::d, &FingerRecord::m, &FingerRecord::x3_1};
    int expected = 1;
    for (auto field : fields) {
        fingers().*field += 1;
        poll();
        EXPECT_EQ(platform.posts, ++expected);
    }
    fingers().multi[7] = 1;
    poll();
    EXPECT_EQ(platform.posts, ++expected);
    block->w = 12;
    poll();
    EXPECT_EQ(platform.posts, ++expected);
    EXPECT_EQ(last_record().z, 77);
    EXPECT_EQ(last_record().w, 12);
}

TEST_F(Sampler, RecordCarriesOnlyThePositionsTheFingerCountSelects)
{
    block->x = 3000;
    block->y = 2500;
    fingers().x2_1 = 10;
    fingers().y2_1 = 20;
    fingers().x2_2 = 30;
    fingers().y2_2 = 40;
    fingers().x3_1 = 50;
    fingers().y3_1 = 60;
    // x y, x2_1 y2_1 x2_2 y2_2, x3_1 y3_1 as recorded
    struct Case {
        int32_t f;
        std::vector<int32_t> positions;
    } cases[] = {
        {1, {3000, 2500, 0, 0, 0, 0, 0, 0}},
        {2, {0, 0, 10, 20, 30, 40, 0, 0}},
        {3, {0, 0, 0, 0, 0, 0, 50, 60}},
        {0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        fingers().f = c.f;
        platform.now += 0.25;
        poll();
        const SampleRecord &r = last_record();
        EXPECT_EQ(r.f, c.f);
        EXPECT_EQ(std::vector<int32_t>({r.x, r.y, r.x2_1, r.y2_1, r.x2_2, r.y2_2, r.x3_1, r.y3_1}),
                  c.positions)
            << "f " << c.f;
        EXPECT_FLOAT_EQ(r.time, static_cast<float>(platform.now - 1000.0));
    }
}

TEST_F(Sampler, OtherFingerRecordLayoutMakesNoRecordsButRefreshesSettings)
{
    block->NewStruct = 0;
    block->TappingCheckBox = 1;
    block->ScrollingSpeedSlider = 13;
    block->DragSlider = 2.5;
    poll();
    EXPECT_EQ(platform.posts, 0);
    EXPECT_EQ(engine.settings.TappingCheckBox.load(), 1);
    EXPECT_EQ(engine.settings.ScrollingSpeedSlider.load(), 13);
    EXPECT_EQ(engine.settings.DragSlider.load(), 2.5);
    // Switched to the layout we read, the same change is found.
    block->NewStruct = 1;
    poll();
    EXPECT_EQ(platform.posts, 1);
}

TEST_F(Sampler, PausesFollowTheRecordedFingerState)
{
    EXPECT_EQ(poll(), 5) << "first record, no finger";
    EXPECT_EQ(poll(), 5) << "idle pad";
    fingers().f = 1;
    EXPECT_EQ(poll(), 1) << "a record with a finger";
    EXPECT_EQ(poll(), 2) << "finger resting";
    fingers().f = 0;
    EXPECT_EQ(poll(), 5);
}

TEST_F(Sampler, RingWrapsAfter2400Records)
{
    for (int i = 0; i < kSampleRingSize; ++i) {
        block->x = i;
        poll();
        consume();
    }
    EXPECT_EQ(engine.ring.head.load(), kSampleRingSize);
    fingers().f = 1;
    block->x = 4242;
    poll();
    EXPECT_EQ(engine.ring.head.load(), 1);
    EXPECT_EQ(engine.ring.entries[0].x, 4242);
    EXPECT_EQ(platform.posts, kSampleRingSize + 1);
}

TEST_F(Sampler, FullRingWaitsForTheReaderInsteadOfOverwriting)
{
    fingers().f = 1;
    for (int i = 0; i < kSampleRingSize; ++i) {
        block->x = i + 1;
        poll();
    }
    EXPECT_EQ(engine.ring.unread.load(), kSampleRingSize);
    block->x = 9999;
    poll();
    poll();
    EXPECT_EQ(platform.posts, kSampleRingSize);
    EXPECT_EQ(engine.ring.entries[0].x, 1) << "the unread first record is intact";
    consume();
    poll();
    EXPECT_EQ(platform.posts, kSampleRingSize + 1);
    EXPECT_EQ(engine.ring.entries[0].x, 9999);
}

TEST_F(Sampler, LatchesReleaseWhenNoFingerTouches)
{
    fingers().f = 1;
    engine.latches.cover_gesture_latch = 1;
    engine.latches.swipe_latch = 1;
    poll();
    EXPECT_EQ(engine.latches.cover_gesture_latch.load(), 1);
    EXPECT_EQ(engine.latches.swipe_latch.load(), 1);
    fingers().f = 0;
    poll();
    EXPECT_EQ(engine.latches.cover_gesture_latch.load(), 0);
    EXPECT_EQ(engine.latches.swipe_latch.load(), 0);
}

TEST_F(Sampler, PointerShapeResetsOnceAfterTwoFingersLeave)
{
    fingers().f = 2;
    engine.latches.zoom_in_cursor_shown = 1;
    poll();
    poll();
    EXPECT_TRUE(platform.commands.empty());
    EXPECT_EQ(engine.latches.zoom_in_cursor_shown.load(), 1);
    fingers().f = 1;
    poll();
    poll();
    EXPECT_EQ(platform.commands, std::vector<std::string>{"/usr/bin/xsetroot -cursor_name left_ptr"});
    EXPECT_EQ(engine.latches.zoom_in_cursor_shown.load(), 0);
}

TEST_F(Sampler, SleepsOnlyAfterAQuietSpellWithNothingUnderWay)
{
    auto may_sleep = [&](uint32_t sequence = 0) {
        poll_read();
        return sampler_may_sleep(&state, engine, sequence);
    };
    poll_read();  // the first record
    for (int i = 1; i < kQuietPollsBeforeSleep; ++i)
        EXPECT_FALSE(may_sleep()) << i;
    EXPECT_TRUE(may_sleep());

    // Each thing still under way in the engine keeps it polling, and the
    // quiet spell starts again once it is over. (Latches and pointer shapes
    // are cleared by the poll itself.)
    struct Busy {
        const char *what;
        std::function<void(int32_t)> set;
    };
    const Busy busy[] = {
        {"an unread sample", [&](int32_t v) { engine.ring.unread = v; }},
        {"an action not carried out",
         [&](int32_t v) { engine.queue.entries_queued = engine.queue.entries_done + v; }},
        {"a drag", [&](int32_t v) { engine.drag.drag_active = v; }},
        {"a tap with the drag logic", [&](int32_t v) { engine.drag.tap_state = static_cast<TapState>(v); }},
        {"a tap pending", [&](int32_t v) { engine.drag.tap_pending = v; }},
        {"a tap to resolve", [&](int32_t v) { engine.drag.tap_request = v; }},
        {"an auto-scroll", [&](int32_t v) { engine.scroll.autoscroll_running = v; }},
    };
    for (const Busy &b : busy) {
        b.set(1);
        EXPECT_FALSE(may_sleep()) << b.what;
        b.set(0);
        for (int i = 1; i < kQuietPollsBeforeSleep; ++i)
            EXPECT_FALSE(may_sleep()) << b.what << ", " << i;
        EXPECT_TRUE(may_sleep()) << b.what;
    }

    // A finger down, and the lift's record, start the spell again.
    fingers().f = 1;
    EXPECT_FALSE(may_sleep());
    EXPECT_FALSE(may_sleep()) << "a finger rests on the pad";
    fingers().f = 0;
    for (int i = 0; i < kQuietPollsBeforeSleep; ++i)
        EXPECT_FALSE(may_sleep()) << i;
    EXPECT_TRUE(may_sleep());
}

TEST_F(Sampler, ChangeWithoutASignalKeepsItPollingUntilTheSequenceMoves)
{
    poll_read();
    for (int i = 0; i < kQuietPollsBeforeSleep; ++i) {
        poll_read();
        sampler_may_sleep(&state, engine, 7);
    }
    sampler_sleeps(&state, 7);
    // Woken by the time limit: a finger came, and the sequence stayed.
    fingers().f = 1;
    poll_read();
    EXPECT_FALSE(sampler_may_sleep(&state, engine, 7));
    fingers().f = 0;
    for (int i = 0; i < 3 * kQuietPollsBeforeSleep; ++i) {
        poll_read();
        EXPECT_FALSE(sampler_may_sleep(&state, engine, 7)) << i;
    }
    // The publisher signals again.
    poll_read();
    EXPECT_TRUE(sampler_may_sleep(&state, engine, 8));

    // A change that the sequence announced is no such writer.
    sampler_sleeps(&state, 8);
    fingers().f = 1;
    poll_read();
    EXPECT_FALSE(sampler_may_sleep(&state, engine, 9));
    fingers().f = 0;
    for (int i = 0; i < kQuietPollsBeforeSleep; ++i) {
        poll_read();
        sampler_may_sleep(&state, engine, 10);
    }
    poll_read();
    EXPECT_TRUE(sampler_may_sleep(&state, engine, 10));
}

// Counts the lines of text that contain needle.
int count_lines(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

TEST(SamplerAttach, FiftyAttemptsThenGivesUp)
{
    enter_private_ipc();
    bool waited = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(sampler_attach(&waited), nullptr);
    EXPECT_FALSE(waited);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_lines(err, "Can't access shared memory area. SHMConfig disabled?\n"), 50);

    tpsim({"create", "--size", "100"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(sampler_attach(&waited), nullptr);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_lines(err, "Incorrect size of shared memory area. Incompatible driver version?\n"), 50);
}

}  // namespace
