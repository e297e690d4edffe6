// Definitions of the engine's cross-thread state and the action queue.
#include "engine_state.h"

#include <errno.h>
#include <pthread.h>

sem_t get_data_sem;
sem_t ctrl_data_sem;
sem_t ctrl_drag_sem;
sem_t auto_scroll_sem;

void engine_sem_wait(sem_t *sem) {
    while (sem_wait(sem) != 0 && errno == EINTR) {
    }
}

SettingsSnapshot settings_snapshot;

std::atomic<int32_t> cover_gesture_latch{0};
std::atomic<int32_t> swipe_latch{0};
std::atomic<int32_t> vscroll_cursor_shown{0};
std::atomic<int32_t> hscroll_cursor_shown{0};
std::atomic<int32_t> zoom_out_cursor_shown{0};
std::atomic<int32_t> zoom_in_cursor_shown{0};
std::atomic<int32_t> rotate_right_cursor_shown{0};
std::atomic<int32_t> rotate_left_cursor_shown{0};

std::atomic<int32_t> drag_active{0};
std::atomic<TapState> tap_state{TapState::kIdle};
std::atomic<int32_t> tap_pending{0};
std::atomic<int32_t> tap_request{0};
std::atomic<int32_t> retouch_near_tap{0};
std::atomic<int32_t> retouch_seen{0};
std::atomic<int32_t> drag_fingers_up{0};
std::atomic<int32_t> drag_lift_event{0};
std::atomic<int32_t> drag_tap_again{0};
std::atomic<int32_t> drag_finger_count{0};
std::atomic<int32_t> drag_timeout_off{0};

std::atomic<int32_t> scroll_finger_count{0};
std::atomic<int32_t> scroll_active{0};
std::atomic<int32_t> autoscroll_running{0};
std::atomic<int32_t> scroll_up_active{0};
std::atomic<int32_t> scroll_down_active{0};
std::atomic<int32_t> scroll_left_active{0};
std::atomic<int32_t> scroll_right_active{0};
std::atomic<int32_t> scroll_left_by_key{0};
std::atomic<int32_t> scroll_right_by_key{0};

void clear_scroll_directions()
{
    scroll_up_active.store(0);
    scroll_down_active.store(0);
    scroll_left_active.store(0);
    scroll_right_active.store(0);
    scroll_left_by_key.store(0);
    scroll_right_by_key.store(0);
}

SampleRecord sample_ring[kSampleRingSize];
std::atomic<int32_t> sample_ring_head{0};
std::atomic<int32_t> sample_ring_tail{0};
std::atomic<int32_t> sample_ring_unread{0};

// --- action queue ----------------------------------------------------------

namespace {

ActionEntry queue_entries[kActionQueueSize];
// Guarded by queue_mutex: the write index and the unread count. The read
// index belongs to the one consumer.
pthread_mutex_t queue_mutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t queue_slot_freed = PTHREAD_COND_INITIALIZER;
int32_t action_queue_head = 0;
int32_t queue_unread = 0;
int32_t queue_read_index = 0;

}  // namespace

std::atomic<uint32_t> action_entries_queued{0};
std::atomic<uint32_t> action_entries_done{0};

bool action_entries_outstanding() {
    return action_entries_done.load() != action_entries_queued.load();
}

void action_queue_reset() {
    pthread_mutex_lock(&queue_mutex);
    for (ActionEntry &e : queue_entries) e = ActionEntry{Gesture::kButtonLeft, 0, 0};
    action_queue_head = 0;
    queue_unread = 0;
    queue_read_index = 0;
    action_entries_queued.store(0);
    action_entries_done.store(0);
    pthread_mutex_unlock(&queue_mutex);
}

void action_queue_enqueue_with(Gesture code, int32_t arg, void (*between)(void *), void *ctx) {
    pthread_mutex_lock(&queue_mutex);
    while (queue_unread >= kActionQueueSize) pthread_cond_wait(&queue_slot_freed, &queue_mutex);
    queue_entries[action_queue_head] = ActionEntry{code, arg, 1};
    if (between) between(ctx);
    ++queue_unread;
    action_entries_queued.fetch_add(1);
    sem_post(&ctrl_data_sem);
    action_queue_head = (action_queue_head + 1) % kActionQueueSize;
    pthread_mutex_unlock(&queue_mutex);
}

void action_queue_enqueue(Gesture code, int32_t arg) {
    action_queue_enqueue_with(code, arg, nullptr, nullptr);
}

void action_queue_take_posted(ActionEntry *out) {
    // The entry was complete before its post, and its slot stays reserved
    // until the unread count drops below, so it can be read without the lock.
    *out = queue_entries[queue_read_index];
    queue_read_index = (queue_read_index + 1) % kActionQueueSize;
    pthread_mutex_lock(&queue_mutex);
    --queue_unread;
    pthread_cond_signal(&queue_slot_freed);
    pthread_mutex_unlock(&queue_mutex);
}

void action_queue_dequeue(ActionEntry *out) {
    engine_sem_wait(&ctrl_data_sem);
    action_queue_take_posted(out);
}

int action_queue_unread() {
    pthread_mutex_lock(&queue_mutex);
    int n = queue_unread;
    pthread_mutex_unlock(&queue_mutex);
    return n;
}

// --- reset -----------------------------------------------------------------

void reset_engine_state() {
    action_queue_reset();
    SettingsSnapshot &s = settings_snapshot;
#define RESET(name, kind, offset, fresh) s.name.store(0);
    TOUCHPAD_BLOCK_FIELDS(BLOCK_ROW_SKIPPED, RESET, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef RESET

    std::atomic<int32_t> *words[] = {
        &cover_gesture_latch, &swipe_latch, &vscroll_cursor_shown, &hscroll_cursor_shown,
        &zoom_out_cursor_shown, &zoom_in_cursor_shown, &rotate_right_cursor_shown,
        &rotate_left_cursor_shown, &drag_active, &tap_pending, &tap_request,
        &retouch_near_tap, &retouch_seen, &drag_fingers_up, &drag_lift_event, &drag_tap_again,
        &drag_finger_count, &drag_timeout_off, &scroll_finger_count, &scroll_active,
        &autoscroll_running, &scroll_up_active, &scroll_down_active, &scroll_left_active,
        &scroll_right_active, &scroll_left_by_key, &scroll_right_by_key, &sample_ring_head,
        &sample_ring_tail, &sample_ring_unread};
    for (std::atomic<int32_t> *p : words) p->store(0);
    tap_state.store(TapState::kIdle);
}
