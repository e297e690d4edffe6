// The sampler and recogniser threads for real: a trace replayed into a
// simulator block by tpsim reaches the action queue through the sample
// ring, the semaphores and the shared words. Run under ThreadSanitizer by
// the test command (label "engine").
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <fstream>
#include <string>

#include "engine_state.h"
#include "sampler_thread.h"
#include "support.h"

namespace {

// The engine state this test's engine runs on; the sampler and recogniser
// need no platform, and the sampler its production ports.
EngineShared engine;
const SamplerPorts sampler_ports = engine_sampler_ports(&engine);
EngineThreadArgs thread_args{&engine, nullptr, &sampler_ports, nullptr};

constexpr int kMaxSeen = 512;
std::atomic<Gesture> seen_codes[kMaxSeen];
std::atomic<int> seen_count{0};
std::atomic<int> drag_posts{0};

// Stand-ins for the three action-side threads at their semaphores: they
// record what the engine handed over.
void *collect_actions(void *)
{
    for (;;) {
        ActionEntry e;
        engine.queue.dequeue(&e);
        int n = seen_count.load();
        if (n < kMaxSeen)
            seen_codes[n] = e.code;
        seen_count = n + 1;
    }
    return nullptr;
}

void *count_drag_events(void *)
{
    for (;;) {
        engine_sem_wait(&engine.drag.events);
        drag_posts++;
    }
    return nullptr;
}

int count_code(Gesture code)
{
    int n = 0;
    int total = std::min(seen_count.load(), kMaxSeen);
    for (int i = 0; i < total; ++i)
        n += seen_codes[i].load() == code;
    return n;
}

// One monitor data line.
std::string line(double t, int f, int x, int y, int x2_1, int y2_1, int x2_2, int y2_2)
{
    char buf[160];
    snprintf(buf, sizeof buf, "%.3f %d %d 0 0 %d 0 0 0 0 0 00000000 %d %d %d %d 0 0\n", t, x, y, f, x2_1,
             y2_1, x2_2, y2_2);
    return buf;
}

TEST(EngineThreads, ReplayedTraceReachesTheActionQueue)
{
    enter_private_ipc();
    tpsim({"create"});
    tpsim({"set", "TappingCheckBox=1", "TwoFTComboBox=5", "VerticalScrollingCheckBox=1",
           "ScrollingSpeedSlider=15"});

    std::string trace;
    double t = 0;
    // A two-finger tap, a one-finger tap, then a two-finger scroll toward
    // larger y, each lifted; 8 ms between driver reports.
    for (int i = 0; i < 5; ++i, t += 0.008)
        trace += line(t, 2, 0, 0, 100, 100, 200, 100);
    trace += line(t, 0, 0, 0, 0, 0, 0, 0);
    t += 0.3;
    for (int i = 0; i < 3; ++i, t += 0.008)
        trace += line(t, 1, 3000, 2500, 0, 0, 0, 0);
    trace += line(t, 0, 0, 0, 0, 0, 0, 0);
    t += 0.3;
    for (int i = 0; i < 40; ++i, t += 0.008)
        trace += line(t, 2, 0, 0, 100, 100 + 6 * i, 200, 100 + 6 * i);
    trace += line(t, 0, 0, 0, 0, 0, 0, 0);
    std::string path = make_temp_dir() + "/trace.txt";
    std::ofstream(path) << trace;

    for (sem_t *s : {&engine.ring.posted, &engine.queue.posted, &engine.drag.events, &engine.scroll.starts})
        ASSERT_EQ(sem_init(s, 0, 0), 0);
    engine.reset();
    void *(*bodies[])(void *) = {get_data_thread, ctrl_data_thread, collect_actions, count_drag_events};
    for (auto body : bodies) {
        pthread_t th;
        ASSERT_EQ(pthread_create(&th, nullptr, body, &thread_args), 0);
        pthread_detach(th);
    }

    RunResult replay = run_program({"tpsim", "replay", "--new", path}, RunOptions{});
    ASSERT_EQ(replay.status, 0) << replay.err;

    // Every report of the scroll is its own record unless the machine is
    // very slow; ask for a fair share of them.
    ASSERT_TRUE(wait_until(
        [] { return count_code(Gesture::kScrollYInc) >= 10 && engine.drag.drag_finger_count.load() == 0; },
        20.0))
        << "scroll steps seen: " << count_code(Gesture::kScrollYInc);
    EXPECT_EQ(count_code(Gesture::kTapTwo), 1);
    EXPECT_EQ(count_code(Gesture::kTapTwo) + count_code(Gesture::kScrollYInc), seen_count.load())
        << "nothing else";
    EXPECT_GE(drag_posts.load(), 1) << "the one-finger tap went to the drag logic";
    EXPECT_EQ(engine.drag.tap_request.load(), 1);
}

}  // namespace
