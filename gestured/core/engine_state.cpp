// Definitions of the engine's cross-thread state and the action queue.
#include "engine_state.h"

#include <errno.h>

void engine_sem_wait(sem_t *sem)
{
    while (sem_wait(sem) != 0 && errno == EINTR) {
    }
}

// --- the records' resets ----------------------------------------------------

void SettingsSnapshot::reset()
{
#define RESET(name, kind, offset, fresh) name.store(0);
    TOUCHPAD_BLOCK_FIELDS(BLOCK_ROW_SKIPPED, RESET, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef RESET
}

void ActionLatches::reset()
{
    cover_gesture_latch.store(0);
    swipe_latch.store(0);
    for (std::atomic<int32_t> ActionLatches::*flag : kCursorShownFlags)
        (this->*flag).store(0);
}

void DragWords::reset()
{
    drag_active.store(0);
    tap_state.store(TapState::kIdle);
    tap_pending.store(0);
    tap_request.store(0);
    retouch_near_tap.store(0);
    retouch_seen.store(0);
    drag_fingers_up.store(0);
    drag_lift_event.store(0);
    drag_tap_again.store(0);
    drag_finger_count.store(0);
    drag_timeout_off.store(0);
}

void AutoScrollWords::clear_scroll_directions()
{
    scroll_up_active.store(0);
    scroll_down_active.store(0);
    scroll_left_active.store(0);
    scroll_right_active.store(0);
    scroll_left_by_key.store(0);
    scroll_right_by_key.store(0);
}

void AutoScrollWords::reset()
{
    scroll_finger_count.store(0);
    scroll_active.store(0);
    autoscroll_running.store(0);
    clear_scroll_directions();
}

void SampleRing::reset()
{
    head.store(0);
    tail.store(0);
    unread.store(0);
    touches.store(0);
}

void EngineShared::reset()
{
    queue.reset();
    settings.reset();
    latches.reset();
    drag.reset();
    scroll.reset();
    ring.reset();
}

// --- action queue ----------------------------------------------------------

bool ActionQueue::entries_outstanding() const { return entries_done.load() != entries_queued.load(); }

void ActionQueue::reset()
{
    pthread_mutex_lock(&mutex_);
    for (ActionEntry &e : entries_)
        e = ActionEntry{Gesture::kButtonLeft, 0, 0};
    head_ = 0;
    unread_ = 0;
    read_index_ = 0;
    entries_queued.store(0);
    entries_done.store(0);
    pthread_mutex_unlock(&mutex_);
}

void ActionQueue::enqueue_with(Gesture code, int32_t arg, void (*between)(void *), void *ctx)
{
    pthread_mutex_lock(&mutex_);
    while (unread_ >= kActionQueueSize)
        pthread_cond_wait(&slot_freed_, &mutex_);
    entries_[head_] = ActionEntry{code, arg, 1};
    if (between)
        between(ctx);
    ++unread_;
    entries_queued.fetch_add(1);
    sem_post(&posted);
    head_ = (head_ + 1) % kActionQueueSize;
    pthread_mutex_unlock(&mutex_);
}

void ActionQueue::enqueue(Gesture code, int32_t arg) { enqueue_with(code, arg, nullptr, nullptr); }

void ActionQueue::take_posted(ActionEntry *out)
{
    // The entry was complete before its post, and its slot stays reserved
    // until the unread count drops below, so it can be read without the lock.
    *out = entries_[read_index_];
    read_index_ = (read_index_ + 1) % kActionQueueSize;
    pthread_mutex_lock(&mutex_);
    --unread_;
    pthread_cond_signal(&slot_freed_);
    pthread_mutex_unlock(&mutex_);
}

void ActionQueue::dequeue(ActionEntry *out)
{
    engine_sem_wait(&posted);
    take_posted(out);
}

int ActionQueue::unread()
{
    pthread_mutex_lock(&mutex_);
    int n = unread_;
    pthread_mutex_unlock(&mutex_);
    return n;
}
