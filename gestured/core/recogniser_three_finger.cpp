// The three-finger stage of the recogniser (page swipe, my home, the start
// of window switching), the stepping through windows with one or three
// fingers, and the cover gesture.
#include "recogniser.h"

namespace {

// The cover gesture: a slider of kCoverSliderMin..kCoverSliderMax asks for a
// contact width of kCoverSliderBase minus the slider; any other slider value
// for kCoverWidthUnset, more than a pad reports. Widths up to kCoverMinWidth
// are never a cover.
constexpr int32_t kCoverSliderMin = 8;
constexpr int32_t kCoverSliderMax = 15;
constexpr int32_t kCoverSliderBase = 23;
constexpr int32_t kCoverWidthUnset = 100;
constexpr int32_t kCoverMinWidth = 8;
// Travel in x (pad units, more than this) for one step to the next or the
// previous window, with one finger and with three.
constexpr int32_t kOneFingerWindowStep = 150;
constexpr int32_t kThreeFingerWindowStep = 60;
// Fast-key travel gathers while the three fingers' y step is below
// kSmoothDy, or at most kSmoothJumpDy with a change of step of at most
// kSmoothDdy, and while neither swipe travel exceeds kFastKeySwipeTravel.
constexpr int32_t kSmoothDy = 21;
constexpr int32_t kSmoothDdy = 10;
constexpr int32_t kSmoothJumpDy = 45;
constexpr int32_t kFastKeySwipeTravel = 39;
// Travel in x (more than this) for a page swipe.
constexpr int32_t kSwipeTravel = 30;
// Travel in y (more than this) for window switching (down) or my home (up).
constexpr int32_t kFastKeyTravel = 100;

void clear_three_finger_travels(ThreeFingerState *th)
{
    th->swipe_dec_travel = th->swipe_inc_travel = 0;
    th->fast_inc_travel = th->fast_dec_travel = 0;
    th->switch_three_inc_travel = th->switch_three_dec_travel = 0;
}

void cover(const StepContext &c)
{
    ThreeFingerState &th = c.st->three;
    int32_t slider = relaxed(c.snap.CovergestureSlider);
    th.cover_threshold =
        slider >= kCoverSliderMin && slider <= kCoverSliderMax ? kCoverSliderBase - slider : kCoverWidthUnset;
    if (c.rec.f != 1 && c.rec.f != 3)
        return;
    int32_t w = c.rec.w;
    if (w > kCoverMinWidth && relaxed(c.snap.CovergestureCheckBox) == 1 &&
        c.engine.drag.drag_active.load() == 0 && w >= th.cover_threshold && th.cover_done == 0) {
        c.enqueue(Gesture::kCover, relaxed(c.snap.CovergestureComboBox));
        th.cover_done = 1;
    }
}

// Adds a movement to the travel of its sign.
void add_signed(int32_t d, int32_t *inc, int32_t *dec)
{
    if (d < 0)
        *dec = sat_sum(*dec, d);
    else if (d > 0)
        *inc = sat_sum(*inc, d);
}

void window_step(const StepContext &c, int32_t *inc, int32_t *dec, int32_t limit)
{
    if (*inc > limit)
        c.enqueue(Gesture::kSwitchWindowsNext, 0);
    else if (*dec < -limit)
        c.enqueue(Gesture::kSwitchWindowsPrev, 0);
    else
        return;
    *inc = 0;
    *dec = 0;
    c.st->touch.touch_consumed = 1;
}

void window_switching(const StepContext &c)
{
    ThreeFingerState &th = c.st->three;
    if (th.three_finger_mode != ThreeFingerMode::kSwitchingWindows || c.engine.drag.drag_active.load() != 0)
        return;
    if (c.rec.f == 1) {
        add_signed(c.st->touch.one_dx, &th.switch_one_inc_travel, &th.switch_one_dec_travel);
        window_step(c, &th.switch_one_inc_travel, &th.switch_one_dec_travel, kOneFingerWindowStep);
    } else if (c.rec.f == 3) {
        add_signed(th.three_dx, &th.switch_three_inc_travel, &th.switch_three_dec_travel);
        window_step(c, &th.switch_three_inc_travel, &th.switch_three_dec_travel, kThreeFingerWindowStep);
    }
}

}  // namespace

void three_finger_reset(ThreeFingerState *th)
{
    th->three_count = 0;
    clear_three_finger_travels(th);
}

void three_finger_track(const StepContext &c)
{
    ThreeFingerState &th = c.st->three;
    th.three_count++;
    if (th.three_count == 1) {
        th.three_dx = th.three_dy = th.prev_three_dy = th.three_ddy = 0;
        return;
    }
    th.three_dx = sat_diff(c.rec.x3_1, th.prev_three_x);
    th.three_dy = sat_diff(c.rec.y3_1, th.prev_three_y);
    if (th.three_count >= 3)
        th.three_ddy = sat_diff(th.three_dy, th.prev_three_dy);
    th.prev_three_dy = th.three_dy;
}

void cover_and_window_switching(const StepContext &c)
{
    cover(c);
    window_switching(c);
}

void three_finger_stage(const StepContext &c)
{
    ThreeFingerState &th = c.st->three;
    const SettingsSnapshot &s = c.snap;

    if (th.three_finger_mode != ThreeFingerMode::kMyHomeDone &&
        th.three_finger_mode != ThreeFingerMode::kSwitchingWindows)
        add_signed(th.three_dx, &th.swipe_inc_travel, &th.swipe_dec_travel);

    // Fast-key travel gathers only from smooth movement along y, not from a
    // jump or a sideways swipe.
    if (th.three_finger_mode == ThreeFingerMode::kNone &&
        (th.three_dy < kSmoothDy || (th.three_ddy <= kSmoothDdy && th.three_dy <= kSmoothJumpDy)) &&
        th.swipe_dec_travel <= kFastKeySwipeTravel && th.swipe_inc_travel <= kFastKeySwipeTravel) {
        if (c.rec.y3_1 > th.prev_three_y) {
            th.fast_inc_travel = sat_sum(th.fast_inc_travel, th.three_dy);
            th.fast_dec_travel = 0;
        } else if (c.rec.y3_1 < th.prev_three_y) {
            th.fast_dec_travel = sat_sum(th.fast_dec_travel, th.three_dy);
            th.fast_inc_travel = 0;
        }
    }

    if (relaxed(s.SwipePageCheckBox) == 1 && c.engine.drag.drag_active.load() == 0 &&
        th.swipe_armed == Armed::kArmed) {
        bool swiped = true;
        if (th.swipe_dec_travel < -kSwipeTravel) {
            th.three_finger_mode = ThreeFingerMode::kSwipedXDec;
            c.enqueue(Gesture::kSwipeXDec, 0);
        } else if (th.swipe_inc_travel > kSwipeTravel) {
            th.three_finger_mode = ThreeFingerMode::kSwipedXInc;
            c.enqueue(Gesture::kSwipeXInc, 0);
        } else {
            swiped = false;
        }
        if (swiped) {
            th.swipe_armed = Armed::kUsed;
            c.st->touch.touch_consumed = 1;
            clear_three_finger_travels(&th);
        }
    }

    if (relaxed(s.FastKeyCheckBox) == 1 && c.engine.drag.drag_active.load() == 0) {
        if (relaxed(s.SwitchWindowsCheckBox) == 1 && th.fast_key_armed == Armed::kArmed &&
            th.fast_inc_travel > kFastKeyTravel) {
            th.three_finger_mode = ThreeFingerMode::kSwitchingWindows;
            th.switching_windows = 1;
            th.fast_key_armed = Armed::kUsed;
            c.st->touch.touch_consumed = 1;
            c.enqueue(Gesture::kSwitchWindowsBegin, 0);
            clear_three_finger_travels(&th);
        }
        if (relaxed(s.MyHomeFileCheckBox) == 1 && th.fast_key_armed == Armed::kArmed &&
            th.fast_dec_travel < -kFastKeyTravel) {
            th.three_finger_mode = ThreeFingerMode::kMyHomeDone;
            th.fast_key_armed = Armed::kUsed;
            c.st->touch.touch_consumed = 1;
            c.enqueue(Gesture::kMyHome, 0);
            clear_three_finger_travels(&th);
        }
    }
}
