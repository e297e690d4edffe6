#include "auto_scroll.h"

#include "engine_state.h"
#include "platform.h"

namespace {

constexpr int kRepeatMs = 25;
constexpr int kActionPollMs = 2;
constexpr int kActionWaitMs = 5000;

bool may_run()
{
    return scroll_finger_count.load() == 0 && scroll_active.load() == 1 &&
           settings_snapshot.AutoScrollCheckBox.load() == 1;
}

// One horizontal direction: the first repetition in the PDF viewer holds the
// arrow key down; every other repetition clicks the wheel button.
void horizontal_step(AutoScroll *a, const std::atomic<int32_t> &by_key, HeldKey key,
                     const char *key_down, const char *wheel)
{
    if (by_key.load() == 1 && a->held == HeldKey::kNone) {
        engine_platform.run_command(kXteKeyEscape);
        engine_platform.run_command(key_down);
        a->held = key;
    } else {
        engine_platform.run_command(wheel);
    }
}

void repeat_once(AutoScroll *a)
{
    autoscroll_running.store(1);
    if (scroll_up_active.load())
        engine_platform.run_command(kXteScrollUp);
    else if (scroll_down_active.load())
        engine_platform.run_command(kXteScrollDown);
    if (scroll_left_active.load())
        horizontal_step(a, scroll_left_by_key, HeldKey::kLeft, kXteKeydownLeft, kXteScrollLeft);
    else if (scroll_right_active.load())
        horizontal_step(a, scroll_right_by_key, HeldKey::kRight, kXteKeydownRight,
                        kXteScrollRight);
    engine_platform.sleep_ms(kRepeatMs);
}

}  // namespace

void auto_scroll_start(AutoScroll *a)
{
    scroll_finger_count.store(0);
    scroll_active.store(0);
    a->held = HeldKey::kNone;
}

void auto_scroll_release_key(AutoScroll *a)
{
    if (a->held == HeldKey::kLeft)
        engine_platform.run_command(kXteKeyupLeft);
    else if (a->held == HeldKey::kRight)
        engine_platform.run_command(kXteKeyupRight);
    a->held = HeldKey::kNone;
}

void auto_scroll_wait_for_actions()
{
    // Entries enqueued up to now include the scroll steps of the flick that
    // posted this wake-up; the last of them decides scroll_active. A finger
    // that touches meanwhile ends the wait (no auto-scroll can start then),
    // and so does a wait that has gone on far longer than any step takes.
    const uint32_t target = action_entries_queued.load();
    int waited = 0;
    while (static_cast<int32_t>(action_entries_done.load() - target) < 0 &&
           scroll_finger_count.load() == 0 && waited < kActionWaitMs) {
        engine_platform.sleep_ms(kActionPollMs);
        waited += kActionPollMs;
    }
}

int auto_scroll_wake(AutoScroll *a)
{
    auto_scroll_wait_for_actions();
    if (!may_run()) {
        scroll_active.store(0);
        return 0;
    }
    int repetitions = 0;
    do {
        repeat_once(a);
        ++repetitions;
    } while (may_run());
    clear_scroll_directions();
    auto_scroll_release_key(a);
    return repetitions;
}
