// The two thread bodies: each blocks on its semaphore and runs one wake-up
// of its logic per post.
#include "auto_scroll.h"
#include "drag_lock.h"
#include "engine_state.h"

namespace {

// One thread's loop: the logic's state starts once, then every post of the
// semaphore that posts picks is one wake-up.
template <typename Logic, typename Wake>
void *wake_per_post(void *arg, void (*start)(EngineShared &, Logic *), sem_t *(*posts)(EngineShared &),
                    Wake wake)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    Logic logic;
    start(engine, &logic);
    for (;;) {
        engine_sem_wait(posts(engine));
        wake(*args.platform, engine, &logic);
    }
    return nullptr;
}

}  // namespace

void *drag_event_thread(void *arg)
{
    return wake_per_post<DragLock>(
        arg, drag_lock_start, [](EngineShared &e) { return &e.drag.events; }, drag_lock_wake);
}

// A held arrow key is noted by the command runner when its keydown command
// runs, so the engine's signal path releases it if the process is ended in
// the middle of an auto-scroll.
void *auto_scroll_thread(void *arg)
{
    return wake_per_post<AutoScroll>(
        arg, auto_scroll_start, [](EngineShared &e) { return &e.scroll.starts; }, auto_scroll_wake);
}
