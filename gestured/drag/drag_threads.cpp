// The two thread bodies: each blocks on its semaphore and runs one wake-up
// of its logic per post.
#include "auto_scroll.h"
#include "drag_lock.h"
#include "engine_state.h"

void *drag_event_thread(void *arg)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    const EnginePlatform &platform = *args.platform;
    DragLock drag;
    drag_lock_start(engine, &drag);
    for (;;) {
        engine_sem_wait(&engine.drag.events);
        drag_lock_wake(platform, engine, &drag);
    }
    return nullptr;
}

// A held arrow key is noted by the command runner when its keydown command
// runs, so the engine's signal path releases it if the process is ended in
// the middle of an auto-scroll.
void *auto_scroll_thread(void *arg)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    const EnginePlatform &platform = *args.platform;
    AutoScroll scroll;
    auto_scroll_start(engine, &scroll);
    for (;;) {
        engine_sem_wait(&engine.scroll.starts);
        auto_scroll_wake(platform, engine, &scroll);
    }
    return nullptr;
}
