// The three-finger stage of the recogniser (page swipe, my home, the start
// of window switching), the stepping through windows with one or three
// fingers, and the cover gesture.
#include "recogniser.h"

namespace {

int32_t relaxed(const std::atomic<int32_t> &v) { return v.load(std::memory_order_relaxed); }

void clear_three_finger_travels(ThreeFingerState *th) {
    th->swipe_dec_travel = th->swipe_inc_travel = 0;
    th->fast_inc_travel = th->fast_dec_travel = 0;
    th->switch_three_inc_travel = th->switch_three_dec_travel = 0;
}

void cover(const StepContext &c) {
    ThreeFingerState &th = c.st->three;
    int32_t slider = relaxed(c.snap.CovergestureSlider);
    th.cover_threshold = slider >= 8 && slider <= 15 ? 23 - slider : 100;
    if (c.rec.f != 1 && c.rec.f != 3) return;
    int32_t w = c.rec.w;
    if (w > 8 && relaxed(c.snap.CovergestureCheckBox) == 1 && drag_active.load() == 0 &&
        w >= th.cover_threshold && th.cover_done == 0) {
        c.enqueue(Gesture::kCover, relaxed(c.snap.CovergestureComboBox));
        th.cover_done = 1;
    }
}

// Adds a movement to the travel of its sign.
void add_signed(int32_t d, int32_t *inc, int32_t *dec) {
    if (d < 0)
        *dec = sat_sum(*dec, d);
    else if (d > 0)
        *inc = sat_sum(*inc, d);
}

void window_step(const StepContext &c, int32_t *inc, int32_t *dec, int32_t limit) {
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

void window_switching(const StepContext &c) {
    ThreeFingerState &th = c.st->three;
    if (th.three_finger_mode != ThreeFingerMode::kSwitchingWindows || drag_active.load() != 0) return;
    if (c.rec.f == 1) {
        add_signed(c.st->touch.one_dx, &th.switch_one_inc_travel, &th.switch_one_dec_travel);
        window_step(c, &th.switch_one_inc_travel, &th.switch_one_dec_travel, 150);
    } else if (c.rec.f == 3) {
        add_signed(th.three_dx, &th.switch_three_inc_travel, &th.switch_three_dec_travel);
        window_step(c, &th.switch_three_inc_travel, &th.switch_three_dec_travel, 60);
    }
}

}  // namespace

void three_finger_reset(ThreeFingerState *th) {
    th->three_count = 0;
    clear_three_finger_travels(th);
}

void three_finger_track(const StepContext &c) {
    ThreeFingerState &th = c.st->three;
    th.three_count++;
    if (th.three_count == 1) {
        th.three_dx = th.three_dy = th.prev_three_dy = th.three_ddy = 0;
        return;
    }
    th.three_dx = sat_diff(c.rec.x3_1, th.prev_three_x);
    th.three_dy = sat_diff(c.rec.y3_1, th.prev_three_y);
    if (th.three_count >= 3) th.three_ddy = sat_diff(th.three_dy, th.prev_three_dy);
    th.prev_three_dy = th.three_dy;
}

void cover_and_window_switching(const StepContext &c) {
    cover(c);
    window_switching(c);
}

void three_finger_stage(const StepContext &c) {
    ThreeFingerState &th = c.st->three;
    const SettingsSnapshot &s = c.snap;

    if (th.three_finger_mode != ThreeFingerMode::kMyHomeDone &&
        th.three_finger_mode != ThreeFingerMode::kSwitchingWindows)
        add_signed(th.three_dx, &th.swipe_inc_travel, &th.swipe_dec_travel);

    // Fast-key travel gathers only from smooth movement along y, not from a
    // jump or a sideways swipe.
    if (th.three_finger_mode == ThreeFingerMode::kNone &&
        (th.three_dy < 21 || (th.three_ddy <= 10 && th.three_dy <= 45)) &&
        th.swipe_dec_travel <= 39 && th.swipe_inc_travel <= 39) {
        if (c.rec.y3_1 > th.prev_three_y) {
            th.fast_inc_travel = sat_sum(th.fast_inc_travel, th.three_dy);
            th.fast_dec_travel = 0;
        } else if (c.rec.y3_1 < th.prev_three_y) {
            th.fast_dec_travel = sat_sum(th.fast_dec_travel, th.three_dy);
            th.fast_inc_travel = 0;
        }
    }

    if (relaxed(s.SwipePageCheckBox) == 1 && drag_active.load() == 0 && th.swipe_armed == Armed::kArmed) {
        bool swiped = true;
        if (th.swipe_dec_travel < -30) {
            th.three_finger_mode = ThreeFingerMode::kSwipedXDec;
            c.enqueue(Gesture::kSwipeXDec, 0);
        } else if (th.swipe_inc_travel >= 31) {
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

    if (relaxed(s.FastKeyCheckBox) == 1 && drag_active.load() == 0) {
        if (relaxed(s.SwitchWindowsCheckBox) == 1 && th.fast_key_armed == Armed::kArmed &&
            th.fast_inc_travel > 100) {
            th.three_finger_mode = ThreeFingerMode::kSwitchingWindows;
            th.switching_windows = 1;
            th.fast_key_armed = Armed::kUsed;
            c.st->touch.touch_consumed = 1;
            c.enqueue(Gesture::kSwitchWindowsBegin, 0);
            clear_three_finger_travels(&th);
        }
        if (relaxed(s.MyHomeFileCheckBox) == 1 && th.fast_key_armed == Armed::kArmed &&
            th.fast_dec_travel < -100) {
            th.three_finger_mode = ThreeFingerMode::kMyHomeDone;
            th.fast_key_armed = Armed::kUsed;
            c.st->touch.touch_consumed = 1;
            c.enqueue(Gesture::kMyHome, 0);
            clear_three_finger_travels(&th);
        }
    }
}
