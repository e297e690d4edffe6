// The two thread bodies for real, on their semaphores, with the real clock
// and sleep and a recorder in place of the shell: a tap becomes a click on
// the action queue, and an auto-scroll runs until a finger touches. Run
// under ThreadSanitizer with the engine tests.
#include <gtest/gtest.h>
#include <pthread.h>
#include <semaphore.h>
#include <time.h>

#include <mutex>
#include <string>
#include <vector>

#include "engine_state.h"
#include "fake_engine.h"
#include "platform_x11.h"

namespace {

std::mutex commands_mutex;
std::vector<std::string> commands;

void record_command(void *, const char *command)
{
    std::lock_guard<std::mutex> lock(commands_mutex);
    commands.push_back(command);
}

size_t command_count()
{
    std::lock_guard<std::mutex> lock(commands_mutex);
    return commands.size();
}

template <typename F>
bool eventually(F condition, int timeout_ms = 5000)
{
    for (int waited = 0; waited < timeout_ms; waited += 2) {
        if (condition())
            return true;
        real_sleep_ms(nullptr, 2);
    }
    return condition();
}

bool take_entry(ActionEntry *out, int timeout_ms)
{
    struct timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeout_ms / 1000;
    deadline.tv_nsec += (timeout_ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    if (sem_timedwait(&engine.queue.posted, &deadline) != 0)
        return false;
    engine.queue.take_posted(out);
    engine.queue.entries_done.fetch_add(1);  // as the action thread counts it once carried out
    return true;
}

TEST(DragThreads, TapBecomesAClickAndFlickAnAutoScrollUntilTouched)
{
    // The real clock and sleep, the commands recorded.
    EnginePlatform platform = engine_platform_production();
    platform.run_command = record_command;
    const EngineThreadArgs args{&engine, &platform, nullptr, nullptr};
    engine.reset();
    sem_init(&engine.queue.posted, 0, 0);
    sem_init(&engine.drag.events, 0, 0);
    sem_init(&engine.scroll.starts, 0, 0);
    engine.settings.DragCheckBox = 1;
    engine.settings.LiftReleaseRadioButton = 1;
    engine.settings.AutoScrollCheckBox = 1;

    engine.scroll.scroll_finger_count = 7;  // auto_scroll_thread sets it to 0 when it starts
    pthread_t drag, scroll;
    ASSERT_EQ(pthread_create(&drag, nullptr, drag_event_thread, const_cast<EngineThreadArgs *>(&args)), 0);
    ASSERT_EQ(pthread_create(&scroll, nullptr, auto_scroll_thread, const_cast<EngineThreadArgs *>(&args)), 0);

    // A single tap: after the settling wait, one click.
    engine.drag.tap_request = 1;
    engine.drag.tap_state = TapState::kHandedOver;
    engine.drag.tap_pending = 1;
    sem_post(&engine.drag.events);
    ActionEntry entry{};
    ASSERT_TRUE(take_entry(&entry, 5000));
    EXPECT_EQ(entry.code, Gesture::kTapClick);
    EXPECT_TRUE(
        eventually([] { return engine.drag.tap_state == TapState::kIdle && engine.drag.tap_request == 0; }));

    // A flick down: wheel-down clicks until a finger touches.
    ASSERT_TRUE(eventually([] { return engine.scroll.scroll_finger_count == 0; }));  // thread started
    engine.scroll.scroll_down_active = 1;
    engine.scroll.scroll_active = 1;
    sem_post(&engine.scroll.starts);
    ASSERT_TRUE(eventually([] { return command_count() >= 3; }));
    engine.scroll.scroll_finger_count = 1;
    engine.scroll.scroll_active = 0;
    EXPECT_TRUE(eventually([] { return engine.scroll.scroll_down_active == 0; }));
    const size_t stopped = command_count();
    real_sleep_ms(nullptr, 60);
    EXPECT_EQ(command_count(), stopped);
    {
        std::lock_guard<std::mutex> lock(commands_mutex);
        for (const std::string &c : commands)
            EXPECT_EQ(c, "/usr/local/bin/xte 'mouseclick 5'");
    }

    pthread_cancel(drag);
    pthread_cancel(scroll);
    pthread_join(drag, nullptr);
    pthread_join(scroll, nullptr);
}

}  // namespace
