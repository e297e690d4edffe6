// The gesture recogniser: one deterministic step per SampleRecord.
//
// recogniser_step() runs the sample pipeline (finger tracking, remapped
// buttons, drag lift-off, centroid, touch start, rise and fall, settle and
// movement, re-touch near a tap, taps, two-finger stage, cover and window
// switching, three-finger stage, lift-off, end-of-sample bookkeeping) over
// the explicit state below. It never reads a clock, sleeps or touches X: the
// time comes in as an argument and everything it produces leaves through the
// ports (action queue entries, drag events, auto-scroll starts) or through
// the shared drag and auto-scroll words of engine_state.h.
//
// State is 32-bit integer and divisions truncate toward zero. Differences
// and sums of coordinates are formed in 64 bits and saturated to 32 bits
// where they are kept, so that any value the block may hold gives a defined
// result; for every position a pad reports the result is the 32-bit one.
#pragma once

#include <cstdint>
#include <limits>

#include "engine_state.h"

// Value of a direction class not computed in the current sample.
constexpr int32_t kClassNotComputed = 8191;

// What the recogniser hands to the other threads. Production fills it with
// the action queue and sem_post; tests record the calls.
struct RecogniserPorts {
    void (*enqueue)(void *ctx, Gesture code, int32_t arg);
    void (*post_drag)(void *ctx);         // one event for drag_event_thread
    void (*post_auto_scroll)(void *ctx);  // start auto_scroll_thread
    void *ctx;
};

// The production ports: the action queue, the drag events and the
// auto-scroll starts of *engine (the ports' ctx).
RecogniserPorts engine_recogniser_ports(EngineShared *engine);

// The remapped pad button a touch holds down; the first three values are
// the button's offset from Gesture::kButtonLeft.
enum class HeldButton : int32_t { kLeft = 0, kMiddle = 1, kRight = 2, kNone = 100 };
constexpr HeldButton kNoButton = HeldButton::kNone;

// Bookkeeping of one touch (first finger down to last finger up), the
// remapped buttons and the tap hand-off.
struct TouchState {
    int32_t max_fingers;
    int32_t touch_start_cx, touch_start_cy;
    int32_t touch_start_x2_1, touch_start_x2_2;
    int32_t settle_count;
    int32_t touch_consumed;
    int32_t press_cycles, fingers_rising;
    int32_t prev_finger_count;
    int32_t one_finger_count;
    int32_t last_one_x, last_one_y;
    int32_t prev_one_x, prev_one_y;
    int32_t one_dx;
    HeldButton held_button;
    int32_t button_latched;
    int32_t centroid_x, centroid_y;
    int32_t seen_x2_1, seen_x2_2;  // x2 values of the last record with f 0 or 2
    int32_t tap_origin_x, tap_origin_y;
    int64_t last_move_ms;  // last two-finger movement while scroll_active
    int32_t scrolled;      // this touch has enqueued a scroll step
};

// The x and y values of a two-finger record, in pair order.
struct FingerPair {
    int32_t x2_1, x2_2, y2_1, y2_2;
};

// The gesture that holds a two-finger phase.
enum class TwoFingerGesture : int32_t { kNone = 0, kScroll = 1, kZoom = 2, kRotate = 3 };

// A rotation recognised in this sample, and the last one reported.
enum class Rotation : int32_t { kNone = 0, kCcw = 1, kCw = 2 };  // counterclockwise, clockwise
// A zoom recognised in this sample.
enum class Zoom : int32_t { kNone = 0, kIn = 1, kOut = 2 };

// Scroll flags of one sample.
constexpr int32_t kScrollYInc = 0x01;
constexpr int32_t kScrollYDec = 0x02;
constexpr int32_t kScrollXInc = 0x10;
constexpr int32_t kScrollXDec = 0x20;

// The two-finger stage: pairing, movement, rotation, zoom and scrolling.
struct TwoFingerState {
    int32_t pair_count;
    FingerPair cur, prev;
    int32_t match_x, match_y;
    int32_t pairing_known;  // once set, stays set for the life of the process
    int32_t swap_y;
    int32_t still_x1, still_y1, still_x2, still_y2;
    int32_t dx1, dy1, dx2, dy2;
    int32_t xsep, ysep, prev_xsep, prev_ysep;
    int32_t pair_class, prev_pair_class, motion1_class, motion2_class;
    TwoFingerGesture two_finger_gesture;
    int32_t rotate_cw_count, rotate_ccw_count, zoom_out_count, zoom_in_count;
    Rotation rotate_result;
    Zoom zoom_result;
    Rotation rotate_reported;
    int32_t vscroll_inc_count, vscroll_dec_count, hscroll_inc_count, hscroll_dec_count;
    uint32_t vscroll_inc_travel, vscroll_dec_travel, hscroll_inc_travel, hscroll_dec_travel;
    int32_t scroll_flags;
    int32_t last_scroll_flags;
    // 1 once this touch has measured a movement: until then the movement
    // values are an earlier touch's, and gather no scroll travel.
    int32_t movement_of_touch;
};

// What the three fingers of this touch have done.
enum class ThreeFingerMode : int32_t {
    kNone = 0,
    kSwipedXDec = 300,
    kSwipedXInc = 301,
    kMyHomeDone = 310,
    kSwitchingWindows = 311
};

// A once-per-touch three-finger action: may still fire in this touch, or used.
enum class Armed : int32_t { kArmed = 1, kUsed = 2 };

// The three-finger stage, window switching and the cover gesture.
struct ThreeFingerState {
    int32_t three_count;
    int32_t prev_three_x, prev_three_y;
    int32_t three_dx, three_dy, prev_three_dy, three_ddy;
    int32_t swipe_dec_travel, swipe_inc_travel;
    int32_t fast_inc_travel, fast_dec_travel;
    int32_t switch_one_inc_travel, switch_one_dec_travel;
    int32_t switch_three_inc_travel, switch_three_dec_travel;
    ThreeFingerMode three_finger_mode;
    int32_t switching_windows;
    Armed swipe_armed, fast_key_armed;
    int32_t cover_threshold;
    int32_t cover_done;
};

struct RecogniserState {
    TouchState touch;
    TwoFingerState two;
    ThreeFingerState three;
};

// Everything to its start value, and the shared drag words that the
// recogniser owns at start (drag_active, tap_state, retouch_seen,
// tap_pending, tap_request) to 0.
void recogniser_init(RecogniserState *st, EngineShared &engine);

// One sample, with the settings and the shared words of engine. now_ms is
// the engine's monotonic clock in milliseconds.
void recogniser_step(RecogniserState *st, const SampleRecord &rec, EngineShared &engine, int64_t now_ms,
                     const RecogniserPorts &ports);

// Direction class of a vector: 1 opposite signs, -1 same sign, 0 only x
// moved, 2 only y moved, 3 no movement.
int32_t direction_class(int32_t dx, int32_t dy);

// --- stages, called in order by recogniser_step ------------------------------

struct StepContext {
    RecogniserState *st;
    const SampleRecord &rec;
    const SettingsSnapshot &snap;
    EngineShared &engine;
    const RecogniserPorts &ports;
    void enqueue(Gesture code, int32_t arg) const { ports.enqueue(ports.ctx, code, arg); }
};

void two_finger_reset(TwoFingerState *two);
void two_finger_stage(const StepContext &c);

void three_finger_reset(ThreeFingerState *three);
void three_finger_track(const StepContext &c);
void cover_and_window_switching(const StepContext &c);
void three_finger_stage(const StepContext &c);

// --- arithmetic shared by the stages --------------------------------------

// A setting of the snapshot as the stages read it (the sampler refreshes
// it at every poll; a sample sees some refresh or other).
inline int32_t relaxed(const std::atomic<int32_t> &v) { return v.load(std::memory_order_relaxed); }

inline int32_t saturate32(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
// a - b and a + b, saturated.
inline int32_t sat_diff(int32_t a, int32_t b) { return saturate32(int64_t{a} - b); }
inline int32_t sat_sum(int32_t a, int32_t b) { return saturate32(int64_t{a} + b); }
// |a - b| and |v| without overflow.
inline int64_t abs_diff(int32_t a, int32_t b)
{
    int64_t d = int64_t{a} - b;
    return d < 0 ? -d : d;
}
inline uint32_t magnitude(int32_t v)
{
    return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
}
