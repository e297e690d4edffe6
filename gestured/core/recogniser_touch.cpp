// The recogniser's sample pipeline and its touch-level steps: finger
// tracking, remapped buttons, drag lift-off, centroid and touch start, rise
// and fall, settle and movement, re-touch near a tap, taps, lift-off and the
// end-of-sample bookkeeping.
#include <cstdlib>

#include "recogniser.h"

namespace {

// Distance in pad units (x and y apart) the fingers' centre may move from
// where the touch began before the touch counts as a movement, not a tap.
constexpr int32_t kTapMoveLimit = 32;
// Distance either of two fingers' x may move from where it came down
// before the touch counts as a movement.
constexpr int32_t kTwoFingerTapXMoveLimit = 8;
// Samples at the touch's most fingers before movement is looked at, and
// the count at which the settle count stops growing.
constexpr int32_t kSettleSamples = 2;
constexpr int32_t kSettleCountStop = 50;
// Samples three fingers may rest before the touch is no longer a tap.
constexpr int32_t kThreeFingerTapSamples = 6;
// Distance in pad units (x and y apart) within which a new touch is near
// the tapped spot.
constexpr int32_t kNearTapDistance = 599;
// Longest time from the last two-finger movement to the lift for the lift
// to be a flick that starts auto-scrolling, in ms.
constexpr int64_t kFlickMs = 199;
// Per-sample movement of either finger above which two fingers still move
// (x, y).
constexpr uint32_t kStillMovingDx = 4;
constexpr uint32_t kStillMovingDy = 5;

void enqueue_action(void *ctx, Gesture code, int32_t arg)
{
    static_cast<EngineShared *>(ctx)->queue.enqueue(code, arg);
}
void post_drag_event(void *ctx) { sem_post(&static_cast<EngineShared *>(ctx)->drag.events); }
void post_auto_scroll(void *ctx) { sem_post(&static_cast<EngineShared *>(ctx)->scroll.starts); }

// Start of a sample: the per-sample results of the two-finger stage.
void begin_sample(TwoFingerState *two)
{
    two->zoom_result = Zoom::kNone;
    two->rotate_result = Rotation::kNone;
    two->scroll_flags = 0;
    two->pair_class = kClassNotComputed;
    two->prev_pair_class = kClassNotComputed;
    two->motion1_class = kClassNotComputed;
    two->motion2_class = kClassNotComputed;
}

void track_fingers(const StepContext &c)
{
    TouchState &t = c.st->touch;
    if (c.rec.f == 1) {
        t.one_finger_count++;
        t.last_one_x = c.rec.x;
        t.last_one_y = c.rec.y;
        t.one_dx = t.one_finger_count > 1 ? sat_diff(c.rec.x, t.prev_one_x) : 0;
    } else if (c.rec.f == 3) {
        three_finger_track(c);
    }
}

// Combo value of a remapped button.
int32_t button_combo(const SettingsSnapshot &s, HeldButton button)
{
    switch (button) {
    case HeldButton::kLeft: return s.ButtonLeftComboBox.load(std::memory_order_relaxed);
    case HeldButton::kMiddle: return s.ButtonMiddleComboBox.load(std::memory_order_relaxed);
    case HeldButton::kRight: return s.ButtonRightComboBox.load(std::memory_order_relaxed);
    case HeldButton::kNone: break;
    }
    return 0;
}

int32_t button_field(const SampleRecord &r, HeldButton button)
{
    switch (button) {
    case HeldButton::kLeft: return r.l;
    case HeldButton::kMiddle: return r.m;
    case HeldButton::kRight: return r.r;
    case HeldButton::kNone: break;
    }
    return 0;
}

// The press entry of a remapped button.
Gesture button_gesture(HeldButton button)
{
    return static_cast<Gesture>(static_cast<int32_t>(Gesture::kButtonLeft) + static_cast<int32_t>(button));
}

void release_remapped_button(const StepContext &c)
{
    TouchState &t = c.st->touch;
    if (t.held_button != HeldButton::kNone && button_field(c.rec, t.held_button) == 0) {
        c.enqueue(Gesture::kButtonRelease, button_combo(c.snap, t.held_button));
        t.held_button = kNoButton;
        t.button_latched = 0;
    }
}

void remapped_buttons(const StepContext &c)
{
    if (c.snap.ButtonCheckBox.load(std::memory_order_relaxed) == 0)
        return;
    TouchState &t = c.st->touch;
    if (t.button_latched == 0) {
        // Tested in this order: middle, left, right.
        static const HeldButton kOrder[3] = {HeldButton::kMiddle, HeldButton::kLeft, HeldButton::kRight};
        for (HeldButton button : kOrder) {
            int32_t combo = button_combo(c.snap, button);
            if (button_field(c.rec, button) == 1 && combo != 0) {
                t.held_button = button;
                c.enqueue(button_gesture(button), combo);
                t.button_latched = 1;
                break;
            }
        }
    }
    release_remapped_button(c);
}

void drag_lift_off(const StepContext &c)
{
    if (c.engine.drag.drag_active.load() != 1 || c.rec.f != 0)
        return;
    int32_t drag = c.snap.DragCheckBox.load(std::memory_order_relaxed);
    bool releases_on_lift = c.snap.LiftReleaseRadioButton.load(std::memory_order_relaxed) == 1 ||
                            c.snap.TapReleaseRadioButton.load(std::memory_order_relaxed) == 1;
    if (drag == 0 || (drag == 1 && releases_on_lift)) {
        c.engine.drag.drag_fingers_up.store(1);
        c.engine.drag.drag_lift_event.store(1);
        c.ports.post_drag(c.ports.ctx);
    }
}

// At a lift: window switching under way ends (Alt goes up).
void end_window_switching(const StepContext &c)
{
    ThreeFingerState &th = c.st->three;
    if (th.three_finger_mode == ThreeFingerMode::kSwitchingWindows) {
        th.switching_windows = 0;
        th.three_finger_mode = ThreeFingerMode::kNone;
        c.enqueue(Gesture::kSwitchWindowsEnd, 0);
    }
}

// The part of a sample that still runs while TouchpadOff is set: the
// release of a held remapped button and, at a lift, the end of a drag and of
// window switching.
void end_what_was_begun(const StepContext &c)
{
    release_remapped_button(c);
    if (c.rec.f != 0)
        return;
    drag_lift_off(c);
    end_window_switching(c);
}

void centroid_and_touch_start(const StepContext &c)
{
    TouchState &t = c.st->touch;
    const SampleRecord &r = c.rec;
    if (r.f == 1) {
        t.centroid_x = r.x;
        t.centroid_y = r.y;
    } else if (r.f == 3) {
        t.centroid_x = r.x3_1;
        t.centroid_y = r.y3_1;
    } else {
        t.centroid_x = static_cast<int32_t>((int64_t{r.x2_1} + r.x2_2) / 2);
        t.centroid_y = static_cast<int32_t>((int64_t{r.y2_1} + r.y2_2) / 2);
        t.seen_x2_1 = r.x2_1;
        t.seen_x2_2 = r.x2_2;
    }
    if (r.f > t.max_fingers) {
        t.max_fingers = r.f;
        t.touch_start_cx = t.centroid_x;
        t.touch_start_cy = t.centroid_y;
        t.touch_start_x2_1 = t.seen_x2_1;
        t.touch_start_x2_2 = t.seen_x2_2;
    }
}

void rise_and_fall(const StepContext &c)
{
    TouchState &t = c.st->touch;
    if (c.rec.f > t.prev_finger_count && t.fingers_rising == 0) {
        t.fingers_rising = 1;
    } else if (c.rec.f < t.prev_finger_count && t.fingers_rising == 1) {
        t.fingers_rising = 0;
        t.press_cycles++;
    }
}

bool moved_from_start(const TouchState &t)
{
    return abs_diff(t.centroid_x, t.touch_start_cx) > kTapMoveLimit ||
           abs_diff(t.centroid_y, t.touch_start_cy) > kTapMoveLimit;
}

void settle_and_movement(const StepContext &c)
{
    TouchState &t = c.st->touch;
    const SampleRecord &r = c.rec;
    if (r.f == t.max_fingers) {
        if (t.settle_count < kSettleCountStop)
            t.settle_count++;
        if (t.settle_count >= kSettleSamples) {
            bool moved = false;
            if (r.f == 1) {
                moved = moved_from_start(t);
            } else if (r.f == 2) {
                moved = moved_from_start(t) ||
                        abs_diff(r.x2_1, t.touch_start_x2_1) > kTwoFingerTapXMoveLimit ||
                        abs_diff(r.x2_2, t.touch_start_x2_2) > kTwoFingerTapXMoveLimit;
            } else if (r.f == 3) {
                moved = t.settle_count > kThreeFingerTapSamples;
            }
            if (moved)
                t.touch_consumed = 1;
        }
    } else if (r.f < t.max_fingers) {
        t.settle_count = 0;
    }
}

void retouch_near_tapped_spot(const StepContext &c)
{
    const TouchState &t = c.st->touch;
    if (c.engine.drag.tap_state.load() != TapState::kHandedOver || c.engine.drag.drag_active.load() != 0)
        return;
    int32_t near = abs_diff(t.centroid_x, t.tap_origin_x) <= kNearTapDistance &&
                   abs_diff(t.centroid_y, t.tap_origin_y) <= kNearTapDistance;
    c.engine.drag.retouch_near_tap.store(near);
    c.engine.drag.retouch_seen.store(near);
}

void one_finger_tap(const StepContext &c)
{
    TouchState &t = c.st->touch;
    const SettingsSnapshot &s = c.snap;
    if (c.engine.drag.tap_pending.load() == 0 && c.engine.drag.drag_active.load() == 0) {
        t.tap_origin_x = t.touch_start_cx;
        t.tap_origin_y = t.touch_start_cy;
        c.engine.drag.tap_request.store(1);
        c.ports.post_drag(c.ports.ctx);
        c.engine.drag.tap_state.store(TapState::kHandedOver);
        c.engine.drag.tap_pending.store(1);
        if (c.engine.drag.retouch_seen.load() == 1)
            c.engine.drag.tap_state.store(TapState::kRetouched);
    } else {
        c.engine.drag.tap_pending.store(1);
        if (c.engine.drag.tap_state.load() == TapState::kHandedOver && c.engine.drag.retouch_seen.load() == 1)
            c.engine.drag.tap_state.store(TapState::kRetouched);
    }
    if (c.engine.drag.drag_active.load() == 1 && s.TapAgainRadioButton.load(std::memory_order_relaxed) == 1 &&
        s.DragCheckBox.load(std::memory_order_relaxed) == 1 &&
        c.engine.drag.tap_state.load() == TapState::kRetouched) {
        c.engine.drag.drag_tap_again.store(1);
        c.engine.drag.drag_fingers_up.store(0);
        c.ports.post_drag(c.ports.ctx);
    }
}

void tap_at_lift_off(const StepContext &c)
{
    const TouchState &t = c.st->touch;
    const SettingsSnapshot &s = c.snap;
    const SampleRecord &r = c.rec;
    if (t.touch_consumed || t.press_cycles > 1 || s.TappingCheckBox.load(std::memory_order_relaxed) == 0)
        return;
    bool no_button = r.l == 0 && r.r == 0;
    switch (t.max_fingers) {
    case 1:
        if (s.DetectTapIntr.load(std::memory_order_relaxed) != 1 &&
            s.DetectKT_310TapIntr.load(std::memory_order_relaxed) != 1 && no_button)
            one_finger_tap(c);
        break;
    case 2: {
        int32_t combo = s.TwoFTComboBox.load(std::memory_order_relaxed);
        if (c.engine.drag.drag_active.load() == 0 && (no_button || combo != 0))
            c.enqueue(Gesture::kTapTwo, combo);
        break;
    }
    case 3: {
        int32_t combo = s.ThreeFTComboBox.load(std::memory_order_relaxed);
        if (c.engine.drag.drag_active.load() == 0 && (no_button || combo != 0))
            c.enqueue(Gesture::kTapThree, combo);
        break;
    }
    }
}

bool scroll_steps_queued(const StepContext &c)
{
    return c.st->touch.scrolled != 0 && c.engine.queue.entries_outstanding();
}

// Movement counts toward a flick once a scroll step is armed, or once this
// touch has enqueued one that the action thread has yet to carry out.
bool flick_may_follow(const StepContext &c)
{
    return c.engine.scroll.scroll_active.load() != 0 || c.st->touch.scrolled != 0;
}

// The end of a touch: nothing of it is left for the next one to finish (a
// tap counted from its fingers, a flick, a window-switch step).
void forget_touch(const StepContext &c)
{
    TouchState &t = c.st->touch;
    ThreeFingerState &th = c.st->three;
    t.max_fingers = 0;
    t.touch_start_cx = t.touch_start_cy = 0;
    t.touch_consumed = 0;
    t.settle_count = 0;
    t.fingers_rising = 0;
    t.press_cycles = 0;
    t.last_one_x = t.last_one_y = 0;
    th.cover_done = 0;
    th.three_finger_mode = ThreeFingerMode::kNone;
    th.switch_one_inc_travel = th.switch_one_dec_travel = 0;
    th.switch_three_inc_travel = th.switch_three_dec_travel = 0;
    th.swipe_dec_travel = th.swipe_inc_travel = 0;
    th.fast_inc_travel = th.fast_dec_travel = 0;
    th.swipe_armed = Armed::kArmed;
    th.fast_key_armed = Armed::kArmed;
    c.st->two.movement_of_touch = 0;
    t.scrolled = 0;
}

void lift_off_reset(const StepContext &c, int64_t now_ms)
{
    const TouchState &t = c.st->touch;
    end_window_switching(c);

    // A flick: the fingers left while still moving. When the action thread
    // has not yet carried out this touch's scroll steps, whether they arm
    // auto-scroll is not known yet: the auto-scroll thread waits for them
    // before it looks at scroll_active.
    if (c.engine.scroll.scroll_active.load() != 0 || scroll_steps_queued(c)) {
        int64_t since_move = now_ms - t.last_move_ms;
        if (since_move <= kFlickMs && (c.engine.scroll.scroll_active.load() != 0 || scroll_steps_queued(c)) &&
            c.snap.AutoScrollCheckBox.load(std::memory_order_relaxed) == 1)
            c.ports.post_auto_scroll(c.ports.ctx);
    }
    forget_touch(c);
}

void end_of_sample(const StepContext &c, int64_t now_ms)
{
    RecogniserState &st = *c.st;
    TouchState &t = st.touch;
    switch (c.rec.f) {
    case 1:
        t.prev_one_x = t.last_one_x;
        t.prev_one_y = t.last_one_y;
        two_finger_reset(&st.two);
        three_finger_reset(&st.three);
        break;
    case 2: {
        const TwoFingerState &two = st.two;
        bool moving = two.movement_of_touch &&
                      (magnitude(two.dx1) > kStillMovingDx || magnitude(two.dx2) > kStillMovingDx ||
                       magnitude(two.dy1) > kStillMovingDy || magnitude(two.dy2) > kStillMovingDy);
        if (flick_may_follow(c) && moving)
            t.last_move_ms = now_ms;
        t.one_finger_count = 0;
        three_finger_reset(&st.three);
        break;
    }
    case 3:
        t.one_finger_count = 0;
        st.three.prev_three_x = c.rec.x3_1;
        st.three.prev_three_y = c.rec.y3_1;
        two_finger_reset(&st.two);
        break;
    default:
        // No finger, or a count that selects no coordinates: neither finger
        // stage carries over.
        t.one_finger_count = 0;
        two_finger_reset(&st.two);
        three_finger_reset(&st.three);
        break;
    }
    t.prev_finger_count = c.rec.f;
}

}  // namespace

RecogniserPorts engine_recogniser_ports(EngineShared *engine)
{
    return RecogniserPorts{enqueue_action, post_drag_event, post_auto_scroll, engine};
}

void recogniser_init(RecogniserState *st, EngineShared &engine)
{
    *st = RecogniserState{};
    st->touch.held_button = kNoButton;
    st->three.swipe_armed = Armed::kArmed;
    st->three.fast_key_armed = Armed::kArmed;
    begin_sample(&st->two);
    engine.drag.drag_active.store(0);
    engine.drag.tap_state.store(TapState::kIdle);
    engine.drag.retouch_seen.store(0);
    engine.drag.tap_pending.store(0);
    engine.drag.tap_request.store(0);
}

void recogniser_step(RecogniserState *st, const SampleRecord &rec, EngineShared &engine, int64_t now_ms,
                     const RecogniserPorts &ports)
{
    const SettingsSnapshot &snap = engine.settings;
    begin_sample(&st->two);
    engine.drag.drag_finger_count.store(rec.f);
    engine.scroll.scroll_finger_count.store(rec.f);
    const StepContext c{st, rec, snap, engine, ports};
    if (snap.TouchpadOff.load(std::memory_order_relaxed) != 0) {
        // Nothing new begins while the touchpad is off, but what a touch
        // began before must still end: a typing monitor that switches the
        // pad off because of the engine's own Alt+Tab must not leave Alt_L
        // held, nor a drag its button. A lift also ends the touch itself,
        // without its tap or flick: the next touch starts afresh.
        end_what_was_begun(c);
        if (rec.f == 0) {
            forget_touch(c);
            end_of_sample(c, now_ms);
        }
        return;
    }

    track_fingers(c);
    remapped_buttons(c);
    drag_lift_off(c);
    centroid_and_touch_start(c);
    rise_and_fall(c);
    if (rec.f > 0) {
        settle_and_movement(c);
        retouch_near_tapped_spot(c);
    }
    if (rec.f == 0)
        tap_at_lift_off(c);
    if (rec.f == 2 && engine.drag.drag_active.load() == 0 && st->three.switching_windows == 0)
        two_finger_stage(c);
    cover_and_window_switching(c);
    if (rec.f == 3)
        three_finger_stage(c);
    if (rec.f == 0) {
        lift_off_reset(c, now_ms);
    } else if (rec.f > 0 && engine.scroll.autoscroll_running.load() == 1) {
        // A new touch stops auto-scrolling.
        engine.scroll.scroll_active.store(0);
        engine.scroll.autoscroll_running.store(0);
    } else if (rec.f > 0 && st->touch.prev_finger_count == 0) {
        // A new touch starts a new scroll: directions left from a scroll
        // that ended without an auto-scroll must not join its flick.
        engine.scroll.clear_scroll_directions();
    }
    end_of_sample(c, now_ms);
}
