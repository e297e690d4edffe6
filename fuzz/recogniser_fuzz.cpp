// The recogniser over arbitrary sample streams. Each input is a settings
// snapshot and a stream of samples, setting changes and what the other
// engine threads do to the shared words (recogniser_input.h); every sample
// runs one recogniser step at a fake clock, and after every operation the
// state is checked:
//   - every field of the recogniser state and every shared word it writes
//     is within its range;
//   - the action queue hands every entry to the consumer exactly once and in
//     order (none overwritten, none lost), each with a known code;
//   - UBSan (built in) catches any undefined arithmetic.
// Built twice: realistic values (recogniser_fuzz), and with
// VORELL_FUZZ_FULL_RANGE every field as a raw 32-bit value
// (recogniser_wide_fuzz), which is what a block written by anything at all
// can hold.
#include <semaphore.h>

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "byte_reader.h"
#include "recogniser.h"
#include "recogniser_input.h"

namespace {

// The engine state the recogniser runs on, with the fuzz input playing the
// other threads.
EngineShared engine;

#ifdef VORELL_FUZZ_FULL_RANGE
constexpr bool kWide = true;
#else
constexpr bool kWide = false;
#endif

[[noreturn]] void fail(const char *what, long value, int line)
{
    fprintf(stderr, "recogniser invariant broken at recogniser_fuzz.cpp:%d: %s (value %ld)\n", line, what,
            value);
    abort();
}
#define CHECK_IN(v, lo, hi)                                  \
    do {                                                     \
        long v_ = static_cast<long>(v);                      \
        if (v_ < (lo) || v_ > (hi))                          \
            fail(#v " in [" #lo ", " #hi "]", v_, __LINE__); \
    } while (0)
#define CHECK(cond, v)                                   \
    do {                                                 \
        if (!(cond))                                     \
            fail(#cond, static_cast<long>(v), __LINE__); \
    } while (0)

struct Run {
    std::deque<ActionEntry> expected;  // what the consumer must see, in order
    long steps = 0;
};
Run g_run;

bool known_code(Gesture code)
{
    return (code >= Gesture::kButtonLeft && code <= Gesture::kDragPress) || code == Gesture::kButtonRelease;
}

// The action thread: takes one entry and compares it with the model.
void consume_one()
{
    ActionEntry got;
    engine.queue.dequeue(&got);
    CHECK(!g_run.expected.empty(), got.code);
    const ActionEntry want = g_run.expected.front();
    g_run.expected.pop_front();
    CHECK(got.pending == 1, got.pending);
    CHECK(got.code == want.code, got.code);
    CHECK(got.arg == want.arg, got.arg);
}

void drain()
{
    while (engine.queue.unread() > 0)
        consume_one();
    CHECK(g_run.expected.empty(), g_run.expected.size());
}

void on_enqueue(void *, Gesture code, int32_t arg)
{
    CHECK(known_code(code), code);
    // A full queue would block the producer; here the consumer makes room,
    // as the action thread would.
    if (engine.queue.unread() >= kActionQueueSize)
        consume_one();
    engine.queue.enqueue(code, arg);
    g_run.expected.push_back(ActionEntry{code, arg, 1});
    CHECK(engine.queue.unread() == static_cast<int>(g_run.expected.size()), engine.queue.unread());
}
void on_drag(void *) {}
void on_auto_scroll(void *) {}

const RecogniserPorts kPorts = {on_enqueue, on_drag, on_auto_scroll, nullptr};

void check_direction_class(int32_t c) { CHECK(c == kClassNotComputed || (c >= -1 && c <= 3), c); }

void check_state(const RecogniserState &st)
{
    const long n = g_run.steps;
    const TouchState &t = st.touch;
    CHECK(t.max_fingers >= 0, t.max_fingers);
    CHECK_IN(t.settle_count, 0, 50);
    CHECK_IN(t.touch_consumed, 0, 1);
    CHECK_IN(t.fingers_rising, 0, 1);
    CHECK_IN(t.press_cycles, 0, n);
    CHECK_IN(t.one_finger_count, 0, n);
    CHECK(t.held_button == HeldButton::kNone || t.held_button == HeldButton::kLeft ||
              t.held_button == HeldButton::kMiddle || t.held_button == HeldButton::kRight,
          t.held_button);
    CHECK_IN(t.button_latched, 0, 1);
    // A latched button is always one that can be released again.
    CHECK((t.button_latched == 1) == (t.held_button != kNoButton), t.held_button);

    const TwoFingerState &two = st.two;
    CHECK_IN(two.pair_count, 0, n);
    CHECK_IN(two.match_x, 0, 2);
    CHECK_IN(two.match_y, 0, 2);
    CHECK_IN(two.pairing_known, 0, 1);
    CHECK_IN(two.swap_y, 0, 1);
    CHECK_IN(two.still_x1, -n, n);
    CHECK_IN(two.still_y1, -n, n);
    CHECK_IN(two.still_x2, -n, n);
    CHECK_IN(two.still_y2, -n, n);
    for (int32_t c : {two.pair_class, two.prev_pair_class, two.motion1_class, two.motion2_class})
        check_direction_class(c);
    CHECK_IN(two.two_finger_gesture, static_cast<long>(TwoFingerGesture::kNone),
             static_cast<long>(TwoFingerGesture::kRotate));
    for (int32_t c :
         {two.rotate_cw_count, two.rotate_ccw_count, two.zoom_out_count, two.zoom_in_count,
          two.vscroll_inc_count, two.vscroll_dec_count, two.hscroll_inc_count, two.hscroll_dec_count})
        CHECK_IN(c, 0, n);
    CHECK_IN(two.rotate_result, static_cast<long>(Rotation::kNone), static_cast<long>(Rotation::kCw));
    CHECK_IN(two.zoom_result, static_cast<long>(Zoom::kNone), static_cast<long>(Zoom::kOut));
    CHECK_IN(two.rotate_reported, static_cast<long>(Rotation::kNone), static_cast<long>(Rotation::kCw));
    const int32_t all_flags = kScrollYInc | kScrollYDec | kScrollXInc | kScrollXDec;
    CHECK((two.scroll_flags & ~all_flags) == 0, two.scroll_flags);
    CHECK((two.last_scroll_flags & ~all_flags) == 0, two.last_scroll_flags);

    const ThreeFingerState &th = st.three;
    CHECK_IN(th.three_count, 0, n);
    const ThreeFingerMode mode = th.three_finger_mode;
    CHECK(mode == ThreeFingerMode::kNone || mode == ThreeFingerMode::kSwipedXDec ||
              mode == ThreeFingerMode::kSwipedXInc || mode == ThreeFingerMode::kMyHomeDone ||
              mode == ThreeFingerMode::kSwitchingWindows,
          mode);
    CHECK_IN(th.switching_windows, 0, 1);
    // Window switching is ended at lift-off by its mode: the two never part.
    CHECK((th.switching_windows == 1) == (mode == ThreeFingerMode::kSwitchingWindows), mode);
    CHECK_IN(th.swipe_armed, static_cast<long>(Armed::kArmed), static_cast<long>(Armed::kUsed));
    CHECK_IN(th.fast_key_armed, static_cast<long>(Armed::kArmed), static_cast<long>(Armed::kUsed));
    CHECK(th.cover_threshold == 0 || th.cover_threshold == 100 ||
              (th.cover_threshold >= 8 && th.cover_threshold <= 15),
          th.cover_threshold);
    CHECK_IN(th.cover_done, 0, 1);
    // Travels toward one sign never hold the other sign.
    for (int32_t v : {th.swipe_inc_travel, th.switch_one_inc_travel, th.switch_three_inc_travel})
        CHECK(v >= 0, v);
    for (int32_t v : {th.swipe_dec_travel, th.switch_one_dec_travel, th.switch_three_dec_travel})
        CHECK(v <= 0, v);

    // The shared words the recogniser writes.
    CHECK_IN(engine.drag.tap_state.load(), static_cast<long>(TapState::kIdle),
             static_cast<long>(TapState::kRetouched));
    CHECK_IN(engine.drag.tap_pending.load(), 0, 1);
    CHECK_IN(engine.drag.tap_request.load(), 0, 1);
    CHECK_IN(engine.drag.retouch_near_tap.load(), 0, 1);
    CHECK_IN(engine.drag.retouch_seen.load(), 0, 1);
    CHECK_IN(engine.drag.drag_fingers_up.load(), 0, 1);
    CHECK_IN(engine.drag.drag_lift_event.load(), 0, 1);
    CHECK_IN(engine.drag.drag_tap_again.load(), 0, 1);
    CHECK_IN(engine.scroll.scroll_active.load(), 0, 1);
    CHECK_IN(engine.scroll.autoscroll_running.load(), 0, 1);
}

void thread_event(uint32_t which)
{
    switch (which % kThreadEventCount) {
    case kDragThreadTookTap:
        engine.drag.tap_state.store(TapState::kIdle);
        engine.drag.tap_pending.store(0);
        engine.drag.tap_request.store(0);
        break;
    case kDragLockOn: engine.drag.drag_active.store(1); break;
    case kDragLockOff:
        engine.drag.drag_active.store(0);
        engine.drag.drag_fingers_up.store(0);
        engine.drag.drag_lift_event.store(0);
        engine.drag.drag_tap_again.store(0);
        engine.drag.tap_state.store(TapState::kIdle);
        engine.drag.tap_pending.store(0);
        break;
    case kScrollStepArmed: engine.scroll.scroll_active.store(1); break;
    case kScrollStepDisarmed: engine.scroll.scroll_active.store(0); break;
    case kAutoScrollStarted: engine.scroll.autoscroll_running.store(1); break;
    case kAutoScrollStopped:
        engine.scroll.autoscroll_running.store(0);
        engine.scroll.scroll_active.store(0);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    sem_init(&engine.ring.posted, 0, 0);
    sem_init(&engine.queue.posted, 0, 0);
    sem_init(&engine.drag.events, 0, 0);
    sem_init(&engine.scroll.starts, 0, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    engine.reset();
    g_run = Run{};
    static RecogniserState state;
    recogniser_init(&state, engine);
    SettingsSnapshot &snap = engine.settings;

    ByteReader in(data, size);
    read_settings(in, kWide, snap);
    int64_t now_ms = 1700000000000;  // any clock reading in ms
    while (!in.empty()) {
        switch (in.u8() % kOpCount) {
        case kOpSample: {
            FuzzSample s;
            read_sample(in, kWide, s);
            now_ms += s.dt_ms;
            ++g_run.steps;
            recogniser_step(&state, s.rec, engine, now_ms, kPorts);
            break;
        }
        case kOpSetting: read_setting(in, kWide, snap); break;
        case kOpThread: thread_event(in.u8()); break;
        case kOpDrain: drain(); break;
        case kOpClock: now_ms += kWide ? in.i32() : static_cast<int16_t>(in.u16()); break;
        }
        check_state(state);
    }
    drain();
    return 0;
}
