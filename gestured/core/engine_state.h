// The state of gestured that crosses threads.
//
// Five worker threads share the records declared here, grouped by feature in
// one EngineShared that main owns and hands to each thread body: the sampler
// (get_data_thread), the recogniser (ctrl_data_thread), the action thread
// (hotkey_event_thread), the drag-lock thread (drag_event_thread) and the
// auto-scroll thread (auto_scroll_thread). Every word that one thread writes
// and another reads is a std::atomic; the four semaphores, one in the ring,
// the action queue, the drag words and the auto-scroll words, are the only
// blocking hand-offs, apart from the action queue's wait for a free slot.
//
// State that only one thread ever touches lives with that thread's code, not
// here.
#pragma once

#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cstdint>

#include "block_field_list.h"

// The semaphores are unnamed and process-private, start at 0, and are
// created by main (or a test) with sem_init before any thread starts.

// sem_wait that retries when a signal interrupts it.
void engine_sem_wait(sem_t *sem);

// ---------------------------------------------------------------------------
// Action codes: the hand-off from recognition to action.
// ---------------------------------------------------------------------------

// The numeric values are those of the queue entries and of the --debug trace.
enum class Gesture : int32_t {
    kButtonLeft = 0,
    kButtonMiddle = 1,
    kButtonRight = 2,
    kTapTwo = 3,
    kTapThree = 4,
    kScrollYDec = 5,
    kScrollYInc = 6,
    kScrollXDec = 7,
    kScrollXInc = 8,
    kZoomOut = 9,
    kZoomIn = 10,
    kRotateCW = 11,
    kRotateCCW = 12,
    kSwipeXDec = 13,
    kSwipeXInc = 14,
    kMyHome = 15,
    kSwitchWindowsBegin = 16,
    kSwitchWindowsPrev = 17,
    kSwitchWindowsNext = 18,
    kSwitchWindowsEnd = 19,
    kCover = 20,
    kTapClick = 21,
    kDragRelease = 22,
    kDragPress = 23,
    kButtonRelease = 100,
};

// ---------------------------------------------------------------------------
// ActionQueue: 20 entries, two producers (ctrl_data_thread and
// drag_event_thread) serialised by one mutex, one consumer
// (hotkey_event_thread).
//
// A producer that finds 20 unread entries waits until the consumer has taken
// one: an entry is never overwritten and never dropped (a lost button release
// or window-switching end would leave a button or Alt held down).
// ---------------------------------------------------------------------------

constexpr int kActionQueueSize = 20;

struct ActionEntry {
    Gesture code;
    int32_t arg;
    int32_t pending;  // always written 1
};

struct ActionQueue {
    // Empties the queue and sets the write and read indexes to 0. Called by
    // main before any thread starts (and by tests); the producers do not
    // reset it.
    void reset();

    // One post per new entry (posted only by enqueue).
    sem_t posted;

    // Writes {code, arg, 1} at the write index, posts `posted` once and
    // advances the write index, all under the producers' mutex. Blocks while
    // the queue holds 20 unread entries.
    void enqueue(Gesture code, int32_t arg);

    // The same, calling between(ctx) after the entry is written and before
    // the post (still under the mutex). The drag thread takes its drag start
    // time there.
    void enqueue_with(Gesture code, int32_t arg, void (*between)(void *), void *ctx);

    // Consumer side: waits on `posted`, then copies the entry at the
    // read index into *out, advances the read index and frees the slot.
    void dequeue(ActionEntry *out);

    // Consumer side for a caller that has already waited on `posted`
    // itself: copies the posted entry and frees its slot.
    void take_posted(ActionEntry *out);

    // Number of written, unread entries (for tests and diagnostics).
    int unread();

    // True while some enqueued entry has not yet been carried out.
    bool entries_outstanding() const;

    // Entries ever enqueued (counted by the enqueue, under the producers'
    // mutex) and entries the consumer has finished carrying out (counted by
    // it after each one). They differ while the action thread is behind, so
    // that a decision that hangs on what the queued entries will do can
    // wait for them.
    std::atomic<uint32_t> entries_queued{0};
    std::atomic<uint32_t> entries_done{0};

private:
    ActionEntry entries_[kActionQueueSize] = {};
    // Guarded by mutex_: the write index and the unread count. The read
    // index belongs to the one consumer.
    pthread_mutex_t mutex_ = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t slot_freed_ = PTHREAD_COND_INITIALIZER;
    int32_t head_ = 0;
    int32_t unread_ = 0;
    int32_t read_index_ = 0;
};

// ---------------------------------------------------------------------------
// SettingsSnapshot: the engine's copy of the user parameters, refreshed by
// get_data_thread at every poll; the other threads only read it. Its members
// are the block field list's POLLED rows, under the fields' names and types.
// ---------------------------------------------------------------------------

struct SettingsSnapshot {
// NOLINTNEXTLINE(bugprone-macro-parentheses): name is a member being declared
#define SNAPSHOT_MEMBER(name, kind, offset, fresh) std::atomic<BlockFieldStorage<kind>::type> name{0};
    TOUCHPAD_BLOCK_FIELDS(BLOCK_ROW_SKIPPED, SNAPSHOT_MEMBER, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef SNAPSHOT_MEMBER

    // Every member to 0.
    void reset();
};

// How many parameters the snapshot holds.
// One "+1" per row, summed after a leading 0.
#define SNAPSHOT_COUNT(...) +1  // NOLINT(bugprone-macro-parentheses)
constexpr int kSettingsSnapshotMembers =
    0 TOUCHPAD_BLOCK_FIELDS(BLOCK_ROW_SKIPPED, SNAPSHOT_COUNT, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED);
#undef SNAPSHOT_COUNT

// ---------------------------------------------------------------------------
// ActionLatches: set by hotkey_event_thread, cleared by get_data_thread (the
// latches when no finger is on the pad, the six pointer-shape flags when the
// pad does not hold two fingers).
// ---------------------------------------------------------------------------

struct ActionLatches {
    std::atomic<int32_t> cover_gesture_latch{0};
    std::atomic<int32_t> swipe_latch{0};

    std::atomic<int32_t> vscroll_cursor_shown{0};
    std::atomic<int32_t> hscroll_cursor_shown{0};
    std::atomic<int32_t> zoom_out_cursor_shown{0};
    std::atomic<int32_t> zoom_in_cursor_shown{0};
    std::atomic<int32_t> rotate_right_cursor_shown{0};
    std::atomic<int32_t> rotate_left_cursor_shown{0};

    // Everything to 0.
    void reset();
};

// The six pointer-shape flags, in the order of the pointer images.
constexpr std::atomic<int32_t> ActionLatches::*kCursorShownFlags[6] = {
    &ActionLatches::vscroll_cursor_shown,      &ActionLatches::hscroll_cursor_shown,
    &ActionLatches::zoom_out_cursor_shown,     &ActionLatches::zoom_in_cursor_shown,
    &ActionLatches::rotate_right_cursor_shown, &ActionLatches::rotate_left_cursor_shown};

// ---------------------------------------------------------------------------
// DragWords: written by ctrl_data_thread before each post of `events`,
// read and cleared by drag_event_thread.
// ---------------------------------------------------------------------------

// Where a one-finger tap stands between the recogniser and the drag logic.
enum class TapState : int32_t {
    kIdle = 0,
    kHandedOver = 1,  // a tap was handed to the drag logic
    kRetouched = 2,   // and the pad was touched again near it
};

struct DragWords {
    // One post per tap, lift-off or tap-again event for the drag logic.
    sem_t events;
    std::atomic<int32_t> drag_active{0};  // 1 while a drag lock is in force
    std::atomic<TapState> tap_state{TapState::kIdle};
    std::atomic<int32_t> tap_pending{0};
    std::atomic<int32_t> tap_request{0};       // resolve a single tap
    std::atomic<int32_t> retouch_near_tap{0};  // the new touch is near the tapped spot
    std::atomic<int32_t> retouch_seen{0};
    std::atomic<int32_t> drag_fingers_up{0};    // the finger was lifted during a drag
    std::atomic<int32_t> drag_lift_event{0};    // a lift-off during a drag was reported
    std::atomic<int32_t> drag_tap_again{0};     // a tap during a drag was reported
    std::atomic<int32_t> drag_finger_count{0};  // f of the newest sample
    // Written only by drag_event_thread, read by hotkey_event_thread.
    std::atomic<int32_t> drag_timeout_off{0};

    // Everything to 0 (tap_state to kIdle).
    void reset();
};

// ---------------------------------------------------------------------------
// AutoScrollWords: scroll_finger_count is written by ctrl_data_thread at
// every sample; scroll_active by hotkey_event_thread (1 after a scroll step
// that arms auto-scroll), cleared by ctrl_data_thread at a new touch during
// auto-scroll and by auto_scroll_thread when it refuses a start;
// autoscroll_running is set by auto_scroll_thread and cleared by
// ctrl_data_thread. The six direction flags are written by
// hotkey_event_thread and cleared by auto_scroll_thread, and by
// ctrl_data_thread when a touch begins while no auto-scroll runs.
// ---------------------------------------------------------------------------

struct AutoScrollWords {
    // One post per request to start auto-scrolling.
    sem_t starts;
    std::atomic<int32_t> scroll_finger_count{0};
    std::atomic<int32_t> scroll_active{0};
    std::atomic<int32_t> autoscroll_running{0};

    std::atomic<int32_t> scroll_up_active{0};     // last vertical step was button 4
    std::atomic<int32_t> scroll_down_active{0};   // button 5
    std::atomic<int32_t> scroll_left_active{0};   // button 6 or the Left key
    std::atomic<int32_t> scroll_right_active{0};  // button 7 or the Right key
    std::atomic<int32_t> scroll_left_by_key{0};
    std::atomic<int32_t> scroll_right_by_key{0};

    // Sets the six direction flags to 0: at the end of an auto-scroll, and
    // when a new touch begins with no auto-scroll running, so that the
    // directions of an earlier scroll that ended without a flick never join
    // a later auto-scroll.
    void clear_scroll_directions();

    // Everything to 0.
    void reset();
};

// ---------------------------------------------------------------------------
// SampleRing: one writer (get_data_thread), one reader (ctrl_data_thread).
// The entries themselves are plain data: the writer completes an entry
// before it posts `posted`, the reader touches only posted entries, and
// the writer never reuses a slot that is still unread.
// ---------------------------------------------------------------------------

constexpr int kSampleRingSize = 2400;

// The finger state's words but the eight multi buttons, under their names.
struct SampleRecord {
#define SAMPLE_WORD(name, ...) int32_t name;
    FINGER_STATE_FIELDS(SAMPLE_WORD, SAMPLE_WORD, SAMPLE_WORD, BLOCK_ROW_SKIPPED)
#undef SAMPLE_WORD
    float time;  // seconds since sample_clock_origin
};
static_assert(sizeof(SampleRecord) == 17 * sizeof(int32_t), "a sample is seventeen 32-bit fields");

struct SampleRing {
    SampleRecord entries[kSampleRingSize];
    sem_t posted;                    // one post per new record
    std::atomic<int32_t> head{0};    // next entry to write (get_data_thread)
    std::atomic<int32_t> tail{0};    // next entry to read (ctrl_data_thread)
    std::atomic<int32_t> unread{0};  // written, unread entries
    // Counts the touches: one more when a record with fingers follows one
    // without, and when one without follows one with, before that record is
    // posted. 0 until the first landing (and never again after a wrap).
    std::atomic<uint32_t> touches{0};

    // The three indexes and the touch count to 0 (the entries are left as
    // they are).
    void reset();
};

// ---------------------------------------------------------------------------
// EngineShared: everything above, one record per feature. main owns the one
// instance and hands it to every thread body; tests own instances of their
// own.
// ---------------------------------------------------------------------------

struct EngineShared {
    ActionQueue queue;
    SettingsSnapshot settings;
    ActionLatches latches;
    DragWords drag;
    AutoScrollWords scroll;
    SampleRing ring;

    // Every record back to its start value (semaphores excepted). For main
    // before the threads start, and for tests.
    void reset();
};

// ---------------------------------------------------------------------------
// The five thread bodies, started by main in this order. get_data_thread and
// ctrl_data_thread live in gestured/ over this core, hotkey_event_thread in
// actions/, drag_event_thread and auto_scroll_thread in drag/.
// ---------------------------------------------------------------------------

// What the threads tell the session around the engine. main fills it; a
// null hook is not called.
struct SessionHooks {
    // get_data_thread: the driver created the block anew and the new one is
    // mapped in place of the old (main runs the start-up commands again).
    void (*block_replaced)();
    // hotkey_event_thread, instead of its "Can't open display." exit: the
    // engine had an X server at start, so the server is gone and the engine
    // ends through its clean-up for that. Does not return.
    void (*display_gone)();
    // hotkey_event_thread: each entry before it is carried out (--debug).
    void (*trace_action)(Gesture code, int32_t arg);
};

// Each takes an EngineThreadArgs as its argument: the records main fills
// before the threads start.
struct EnginePlatform;
struct SamplerPorts;
struct EngineThreadArgs {
    EngineShared *shared;
    const EnginePlatform *platform;  // clock, sleep, shell, synthetic input, focus title
    const SamplerPorts *sampler;     // get_data_thread's clock, ring post and shell
    const SessionHooks *hooks;       // may be null: no hook is called
};

void *get_data_thread(void *);
void *ctrl_data_thread(void *);
void *hotkey_event_thread(void *);
void *drag_event_thread(void *);
void *auto_scroll_thread(void *);
