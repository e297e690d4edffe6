// The action queue between the two producers and the action thread: order,
// the 20-entry limit (a producer waits rather than overwrite), and the
// hook that runs between writing an entry and posting it.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine_state.h"

namespace {

// The engine state this test's engine runs on.
EngineShared engine;

class ActionQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(sem_init(&engine.queue.posted, 0, 0), 0);
        engine.reset();
    }
    void TearDown() override { sem_destroy(&engine.queue.posted); }
};

// Polls cond for up to ten seconds.
template <typename F>
bool eventually(F cond)
{
    for (int i = 0; i < 10000; ++i) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return cond();
}

TEST_F(ActionQueue, EntriesComeOutInOrderWithOnePostEach)
{
    for (int i = 0; i < 45; ++i) {
        engine.queue.enqueue(static_cast<Gesture>(i % 24), 100 + i);
        ActionEntry e;
        engine.queue.dequeue(&e);
        EXPECT_EQ(static_cast<int32_t>(e.code), i % 24);
        EXPECT_EQ(e.arg, 100 + i);
        EXPECT_EQ(e.pending, 1);
    }
    int posts = -1;
    sem_getvalue(&engine.queue.posted, &posts);
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(engine.queue.unread(), 0);
}

TEST_F(ActionQueue, FullQueueMakesProducerWaitInsteadOfOverwriting)
{
    for (int i = 0; i < kActionQueueSize; ++i)
        engine.queue.enqueue(Gesture::kScrollYInc, i);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        engine.queue.enqueue(Gesture::kSwitchWindowsEnd, 99);
        done = true;
    });
    // The 21st entry has nowhere to go until the consumer takes one.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    EXPECT_EQ(engine.queue.unread(), kActionQueueSize);

    ActionEntry e;
    engine.queue.dequeue(&e);
    EXPECT_EQ(e.arg, 0);
    ASSERT_TRUE(eventually([&] { return done.load(); }));
    producer.join();
    for (int i = 1; i < kActionQueueSize; ++i) {
        engine.queue.dequeue(&e);
        EXPECT_EQ(e.code, Gesture::kScrollYInc);
        EXPECT_EQ(e.arg, i);
    }
    engine.queue.dequeue(&e);
    EXPECT_EQ(e.code, Gesture::kSwitchWindowsEnd);
    EXPECT_EQ(e.arg, 99);
}

TEST_F(ActionQueue, TwoProducersLoseNothingAndKeepTheirOwnOrder)
{
    constexpr int kEach = 3000;
    auto produce = [](Gesture code) {
        for (int i = 0; i < kEach; ++i)
            engine.queue.enqueue(code, i);
    };
    std::thread recogniser(produce, Gesture::kScrollYDec);
    std::thread drag(produce, Gesture::kTapClick);
    int next[2] = {0, 0};
    for (int n = 0; n < 2 * kEach; ++n) {
        ActionEntry e;
        engine.queue.dequeue(&e);
        int who = e.code == Gesture::kTapClick ? 1 : 0;
        ASSERT_EQ(e.arg, next[who]) << "producer " << who;
        next[who]++;
    }
    recogniser.join();
    drag.join();
    EXPECT_EQ(next[0], kEach);
    EXPECT_EQ(next[1], kEach);
    EXPECT_EQ(engine.queue.unread(), 0);
}

TEST_F(ActionQueue, HookRunsAfterWriteBeforePost)
{
    struct Seen {
        int posts = -1;
    } seen;
    engine.queue.enqueue_with(
        Gesture::kDragPress, 0,
        [](void *ctx) { sem_getvalue(&engine.queue.posted, &static_cast<Seen *>(ctx)->posts); }, &seen);
    EXPECT_EQ(seen.posts, 0);
    ActionEntry e;
    engine.queue.dequeue(&e);
    EXPECT_EQ(e.code, Gesture::kDragPress);
}

}  // namespace
