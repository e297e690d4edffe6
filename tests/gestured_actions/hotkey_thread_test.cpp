// hotkey_event_thread as the engine runs it: real queue, real XTEST, real
// focus title, on a private Xvfb; an X client records what arrives.
#include <gtest/gtest.h>

#include <pthread.h>
#include <stdlib.h>

#include "engine_state.h"
#include "platform_x11.h"
#include "support.h"
#include "x_watch.h"

namespace {

// The engine state and the production platform this test's engine runs on.
EngineShared engine;
const EnginePlatform platform = engine_platform_production();
EngineThreadArgs thread_args{&engine, &platform, nullptr, nullptr};

using Events = std::vector<std::string>;

class HotkeyThreadOnX : public ::testing::Test {
protected:
    // Each test runs in its own process, so the thread (which never returns)
    // ends with it.
    void start(const char *title)
    {
        watch_ = std::make_unique<XWatch>(xvfb_.display(), title);
        setenv("DISPLAY", xvfb_.display().c_str(), 1);
        engine.reset();
        ASSERT_EQ(sem_init(&engine.queue.posted, 0, 0), 0);
        pthread_t thread;
        ASSERT_EQ(pthread_create(&thread, nullptr, hotkey_event_thread, &thread_args), 0);
        pthread_detach(thread);
    }

    Xvfb xvfb_;
    std::unique_ptr<XWatch> watch_;
};

}  // namespace

TEST_F(HotkeyThreadOnX, WindowSwitchingHoldsAltFromBeginToEnd)
{
    start("Editor");
    engine.queue.enqueue(Gesture::kSwitchWindowsBegin, 0);
    engine.queue.enqueue(Gesture::kSwitchWindowsNext, 0);
    engine.queue.enqueue(Gesture::kSwitchWindowsPrev, 0);
    Events e = watch_->wait_events(9);
    EXPECT_EQ(e, (Events{"key+ Alt_L", "key+ Tab", "key- Tab", "key+ Tab", "key- Tab", "key+ Shift_L",
                         "key+ Tab", "key- Tab", "key- Shift_L"}));
    EXPECT_TRUE(watch_->key_down("Alt_L"));

    engine.queue.enqueue(Gesture::kSwitchWindowsEnd, 0);
    e = watch_->wait_events(10);
    ASSERT_EQ(e.size(), 10u);
    EXPECT_EQ(e.back(), "key- Alt_L");
    EXPECT_FALSE(watch_->key_down("Alt_L"));
}

TEST_F(HotkeyThreadOnX, TheFocusedBrowserGetsControlMinusForTheControlWheelAction)
{
    start("News - Web Browser");
    engine.queue.enqueue(Gesture::kTapTwo, 14);
    engine.queue.enqueue(Gesture::kTapThree, 15);
    EXPECT_EQ(watch_->wait_events(10),
              (Events{"key+ Control_L", "key+ minus", "key- minus", "key- Control_L", "key+ Control_L",
                      "key+ Shift_L", "key+ equal", "key- equal", "key- Shift_L", "key- Control_L"}));
}

TEST_F(HotkeyThreadOnX, ScrollClicksTheWheelAndATapActionBecomesAClick)
{
    start("Editor");
    engine.queue.enqueue(Gesture::kScrollYInc, 0);
    engine.queue.enqueue(Gesture::kScrollXDec, 0);
    engine.queue.enqueue(Gesture::kTapTwo, 1);  // right button, clicked
    EXPECT_EQ(watch_->wait_events(6),
              (Events{"button+ 5", "button- 5", "button+ 6", "button- 6", "button+ 3", "button- 3"}));
    EXPECT_EQ(engine.scroll.scroll_left_active.load(), 1);
}
