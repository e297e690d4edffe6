#include "auto_scroll.h"

#include "engine_state.h"
#include "platform.h"

namespace {

constexpr int kRepeatMs = 25;
constexpr int kActionPollMs = 2;
constexpr int kActionWaitMs = 5000;

bool may_run(EngineShared &engine)
{
    return engine.scroll.scroll_finger_count.load() == 0 && engine.scroll.scroll_active.load() == 1 &&
           engine.settings.AutoScrollCheckBox.load() == 1;
}

// One horizontal direction: the first repetition in the PDF viewer holds the
// arrow key down; every other repetition clicks the wheel button.
void horizontal_step(const EnginePlatform &platform, AutoScroll *a, const std::atomic<int32_t> &by_key,
                     HeldKey key, XteLine key_down, XteLine wheel)
{
    if (by_key.load() == 1 && a->held == HeldKey::kNone) {
        platform.run(platform.xte(XteLine::kKeyEscape));
        platform.run(platform.xte(key_down));
        a->held = key;
    } else {
        platform.run(platform.xte(wheel));
    }
}

void repeat_once(const EnginePlatform &platform, EngineShared &engine, AutoScroll *a)
{
    engine.scroll.autoscroll_running.store(1);
    if (engine.scroll.scroll_up_active.load())
        platform.run(platform.xte(XteLine::kScrollUp));
    else if (engine.scroll.scroll_down_active.load())
        platform.run(platform.xte(XteLine::kScrollDown));
    if (engine.scroll.scroll_left_active.load())
        horizontal_step(platform, a, engine.scroll.scroll_left_by_key, HeldKey::kLeft, XteLine::kKeydownLeft,
                        XteLine::kScrollLeft);
    else if (engine.scroll.scroll_right_active.load())
        horizontal_step(platform, a, engine.scroll.scroll_right_by_key, HeldKey::kRight,
                        XteLine::kKeydownRight, XteLine::kScrollRight);
    platform.sleep(kRepeatMs);
}

}  // namespace

void auto_scroll_start(EngineShared &engine, AutoScroll *a)
{
    engine.scroll.scroll_finger_count.store(0);
    engine.scroll.scroll_active.store(0);
    a->held = HeldKey::kNone;
}

void auto_scroll_release_key(const EnginePlatform &platform, AutoScroll *a)
{
    if (a->held == HeldKey::kLeft)
        platform.run(platform.xte(XteLine::kKeyupLeft));
    else if (a->held == HeldKey::kRight)
        platform.run(platform.xte(XteLine::kKeyupRight));
    a->held = HeldKey::kNone;
}

void auto_scroll_wait_for_actions(const EnginePlatform &platform, EngineShared &engine)
{
    // Entries enqueued up to now include the scroll steps of the flick that
    // posted this wake-up; the last of them decides scroll_active. A finger
    // that touches meanwhile ends the wait (no auto-scroll can start then),
    // and so does a wait that has gone on far longer than any step takes.
    const uint32_t target = engine.queue.entries_queued.load();
    int waited = 0;
    while (static_cast<int32_t>(engine.queue.entries_done.load() - target) < 0 &&
           engine.scroll.scroll_finger_count.load() == 0 && waited < kActionWaitMs) {
        platform.sleep(kActionPollMs);
        waited += kActionPollMs;
    }
}

int auto_scroll_wake(const EnginePlatform &platform, EngineShared &engine, AutoScroll *a)
{
    auto_scroll_wait_for_actions(platform, engine);
    if (!may_run(engine)) {
        engine.scroll.scroll_active.store(0);
        return 0;
    }
    int repetitions = 0;
    do {
        repeat_once(platform, engine, a);
        ++repetitions;
    } while (may_run(engine));
    engine.scroll.clear_scroll_directions();
    auto_scroll_release_key(platform, a);
    return repetitions;
}
