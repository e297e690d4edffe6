// The two-finger stage of the recogniser: which reported x goes with which
// reported y, per-finger movement and direction classes, and the three
// two-finger gestures (rotation, zoom, scrolling). The first gesture
// recognised in a two-finger phase holds it until the fingers change.
#include <cstdlib>

#include "recogniser.h"

int32_t direction_class(int32_t dx, int32_t dy)
{
    if (dx != 0 && dy != 0)
        return (dx > 0) != (dy > 0) ? 1 : -1;
    if (dx != 0)
        return 0;
    if (dy != 0)
        return 2;
    return 3;
}

void two_finger_reset(TwoFingerState *two)
{
    two->pair_count = 0;
    two->match_x = 0;
    two->match_y = 0;
    two->swap_y = 0;
    two->still_x1 = two->still_y1 = two->still_x2 = two->still_y2 = 0;
    two->rotate_cw_count = two->rotate_ccw_count = 0;
    two->zoom_out_count = two->zoom_in_count = 0;
    two->vscroll_inc_count = two->vscroll_dec_count = 0;
    two->hscroll_inc_count = two->hscroll_dec_count = 0;
    two->rotate_reported = Rotation::kNone;
    two->two_finger_gesture = TwoFingerGesture::kNone;
}

namespace {

// How far (pad units, x and y) the one-finger position brought onto the
// two-finger scale may lie from a two-finger coordinate to pair with it.
constexpr int32_t kPairXTolerance = 10;
constexpr int32_t kPairYTolerance = 20;
// Samples a coordinate must have rested (more than this) to tell which
// finger stays still.
constexpr int32_t kStillSamples = 3;
// Two-finger samples (more than this) after which the pairing is known
// even without a resting finger.
constexpr int32_t kPairingSamples = 4;
// A slider of 1..10 sets the samples needed as this base minus the slider.
constexpr int32_t kRotationSliderBase = 12;
constexpr int32_t kZoomSliderBase = 11;
// The scroll-speed slider divides the travel by this base minus the slider.
constexpr int32_t kScrollSliderBase = 16;
// Largest change of the fingers' y separation, and largest difference of
// their y movements, for the two to scroll vertically together.
constexpr int64_t kScrollTogetherSlack = 2;

// 1 when v lies within tolerance of the first finger's coordinate, else 2
// when it lies within tolerance of the second's, else 0.
int32_t finger_near(int32_t v, int32_t first, int32_t second, int32_t tolerance)
{
    if (abs_diff(v, first) <= tolerance)
        return 1;
    if (abs_diff(v, second) <= tolerance)
        return 2;
    return 0;
}

void zero_gesture_counts(TwoFingerState *two)
{
    two->rotate_cw_count = two->rotate_ccw_count = 0;
    two->zoom_out_count = two->zoom_in_count = 0;
    two->vscroll_inc_count = two->vscroll_dec_count = 0;
    two->hscroll_inc_count = two->hscroll_dec_count = 0;
}

// Which reported x belongs with which reported y: from where the single
// finger was before the second one came down, or from which coordinates
// stay still while the other finger moves.
void pair_fingers(const StepContext &c)
{
    TwoFingerState &two = c.st->two;
    const TouchState &t = c.st->touch;
    const SampleRecord &r = c.rec;

    two.pair_count++;
    two.prev = two.cur;
    two.cur = FingerPair{r.x2_1, r.x2_2, r.y2_1, r.y2_2};

    if (t.last_one_x != 0) {
        two.pairing_known = 1;
        if (t.last_one_y != 0 && two.match_x == 0 && two.match_y == 0) {
            // The one-finger position brought onto the two-finger scale.
            // The products are formed in 64 bits so that a stray coordinate
            // cannot overflow; for any position a pad reports the result is
            // the same as in 32 bits.
            int32_t px = static_cast<int32_t>((275LL * t.last_one_x - 412500) / 4650 + 5);
            int32_t py = static_cast<int32_t>((175LL * t.last_one_y - 218750) / 4095 + 75);
            two.match_x = finger_near(px, r.x2_1, r.x2_2, kPairXTolerance);
            two.match_y = finger_near(py, r.y2_1, r.y2_2, kPairYTolerance);
        }
    } else if (t.last_one_y != 0) {
        two.pairing_known = 1;
    }
    if (two.match_x != 0 && two.match_y != 0 && two.match_x != two.match_y)
        two.swap_y = 1;

    if (t.last_one_x == 0 && t.last_one_y == 0 && two.two_finger_gesture == TwoFingerGesture::kNone) {
        const FingerPair &cur = two.cur;
        const FingerPair &prev = two.prev;
        if (two.pair_count >= 2) {
            two.still_x1 += cur.x2_1 == prev.x2_1;
            two.still_y1 += cur.y2_1 == prev.y2_1;
            two.still_x2 += cur.x2_2 == prev.x2_2;
            two.still_y2 += cur.y2_2 == prev.y2_2;
        }
        // Both fingers still at distinct places tells nothing about which
        // one rests.
        if (cur.x2_1 == prev.x2_1 && cur.x2_2 == prev.x2_2 && cur.x2_1 != cur.x2_2) {
            two.still_x1--;
            two.still_x2--;
        }
        if (cur.y2_1 == prev.y2_1 && cur.y2_2 == prev.y2_2 && cur.y2_1 != cur.y2_2) {
            two.still_y1--;
            two.still_y2--;
        }
        if ((two.still_x1 > two.still_x2 && two.still_y2 > two.still_y1 && two.still_x1 > kStillSamples &&
             two.still_y2 > kStillSamples) ||
            (two.still_x2 > two.still_x1 && two.still_y1 > two.still_y2 && two.still_x2 > kStillSamples &&
             two.still_y1 > kStillSamples))
            two.swap_y = 1;
        if (two.pair_count > kPairingSamples)
            two.pairing_known = 1;
    }
    if (two.swap_y) {
        int32_t y = two.cur.y2_1;
        two.cur.y2_1 = two.cur.y2_2;
        two.cur.y2_2 = y;
    }
}

void measure_movement(TwoFingerState *two)
{
    if (two->pair_count < 2)
        return;
    const FingerPair &cur = two->cur;
    const FingerPair &prev = two->prev;
    two->dx1 = sat_diff(cur.x2_1, prev.x2_1);
    two->dy1 = sat_diff(cur.y2_1, prev.y2_1);
    two->dx2 = sat_diff(cur.x2_2, prev.x2_2);
    two->dy2 = sat_diff(cur.y2_2, prev.y2_2);
    two->xsep = sat_diff(cur.x2_2, cur.x2_1);
    two->ysep = sat_diff(cur.y2_2, cur.y2_1);
    two->prev_xsep = sat_diff(prev.x2_2, prev.x2_1);
    two->prev_ysep = sat_diff(prev.y2_2, prev.y2_1);
    two->movement_of_touch = 1;
    two->pair_class = direction_class(two->xsep, two->ysep);
    two->prev_pair_class = direction_class(two->prev_xsep, two->prev_ysep);
    two->motion1_class = direction_class(two->dx1, two->dy1);
    two->motion2_class = direction_class(two->dx2, two->dy2);
}

// Slider 1..10 maps to base - slider; anything else to 0.
int32_t slider_threshold(int32_t slider, int32_t base)
{
    return slider >= 1 && slider <= 10 ? base - slider : 0;
}

void count_rotation(TwoFingerState *two, bool clockwise, int32_t threshold)
{
    if (clockwise) {
        two->rotate_cw_count++;
        if (two->rotate_cw_count >= threshold)
            two->rotate_result = Rotation::kCw;
    } else {
        two->rotate_ccw_count++;
        if (two->rotate_ccw_count >= threshold)
            two->rotate_result = Rotation::kCcw;
    }
}

void rotation(const StepContext &c)
{
    TwoFingerState &two = c.st->two;
    int32_t threshold = slider_threshold(relaxed(c.snap.RotationSlider), kRotationSliderBase);
    const int32_t dx1 = two.dx1, dy1 = two.dy1, dx2 = two.dx2, dy2 = two.dy2;

    if (two.pair_class == 1 && two.prev_pair_class == 1) {
        if (two.motion2_class == -1) {
            if (dx2 > 0 && dy2 > 0 && dx1 <= 0 && dy1 <= 0)
                count_rotation(&two, true, threshold);
            else if (dx2 < 0 && dy2 < 0 && dx1 >= 0 && dy1 >= 0)
                count_rotation(&two, false, threshold);
        }
        if (two.motion1_class == -1) {
            if (dx1 < 0 && dy1 < 0 && dx2 >= 0 && dy2 >= 0)
                count_rotation(&two, true, threshold);
            else if (dx1 > 0 && dy1 > 0 && dx2 <= 0 && dy2 <= 0)
                count_rotation(&two, false, threshold);
        }
    } else if (two.pair_class == -1 && two.prev_pair_class == -1) {
        if (two.motion1_class == 1) {
            if (dx1 > 0 && dy1 < 0 && dx2 <= 0 && dy2 >= 0)
                count_rotation(&two, true, threshold);
            else if (dx1 < 0 && dy1 > 0 && dx2 >= 0 && dy2 <= 0)
                count_rotation(&two, false, threshold);
        }
        if (two.motion2_class == 1) {
            if (dx2 < 0 && dy2 > 0 && dx1 >= 0 && dy1 <= 0)
                count_rotation(&two, true, threshold);
            else if (dx2 > 0 && dy2 < 0 && dx1 <= 0 && dy1 >= 0)
                count_rotation(&two, false, threshold);
        }
    }
    if (two.rotate_result != Rotation::kNone)
        two.two_finger_gesture = TwoFingerGesture::kRotate;

    if (relaxed(c.snap.RotationCheckBox) == 0)
        return;
    bool reported = false;
    if (two.rotate_result == Rotation::kCcw && two.rotate_reported != Rotation::kCcw) {
        two.rotate_reported = Rotation::kCcw;
        c.enqueue(Gesture::kRotateCCW, relaxed(c.snap.CounterclosewiseComboBox));
        reported = true;
    } else if (two.rotate_result == Rotation::kCw && two.rotate_reported != Rotation::kCw) {
        two.rotate_reported = Rotation::kCw;
        c.enqueue(Gesture::kRotateCW, relaxed(c.snap.ClockwiseComboBox));
        reported = true;
    }
    if (reported) {
        c.st->touch.touch_consumed = 1;
        zero_gesture_counts(&two);
    }
}

void zoom(const StepContext &c)
{
    TwoFingerState &two = c.st->two;
    const int32_t m1 = two.motion1_class, m2 = two.motion2_class, pc = two.pair_class;
    bool gate =
        m1 != 2 && m2 != 2 && !(m1 == 3 && m2 == 3) && (m1 == pc || m2 == pc) && pc == two.prev_pair_class;
    if (!gate)
        return;

    int32_t threshold = slider_threshold(relaxed(c.snap.ZoomSlider), kZoomSliderBase);
    const int32_t dx1 = two.dx1, dy1 = two.dy1, dx2 = two.dx2, dy2 = two.dy2;
    if ((two.prev_xsep > two.xsep || two.prev_ysep < two.ysep) && dx1 >= 0 && dx2 <= 0 && dy1 <= 0 &&
        dy2 >= 0) {
        two.zoom_out_count++;
        if (two.zoom_out_count >= threshold)
            two.zoom_result = Zoom::kOut;
    }
    if ((two.prev_xsep < two.xsep || two.prev_ysep > two.ysep) && dx1 <= 0 && dx2 >= 0 && dy1 >= 0 &&
        dy2 <= 0) {
        two.zoom_in_count++;
        if (two.zoom_in_count >= threshold)
            two.zoom_result = Zoom::kIn;
    }
    if (two.zoom_result == Zoom::kNone)
        return;
    // Recognised, reported or not: the zoom holds the phase.
    two.two_finger_gesture = TwoFingerGesture::kZoom;
    if (relaxed(c.snap.ZoomCheckBox) == 0)
        return;
    if (two.zoom_result == Zoom::kIn)
        c.enqueue(Gesture::kZoomIn, relaxed(c.snap.ZoomInComboBox));
    else
        c.enqueue(Gesture::kZoomOut, relaxed(c.snap.ZoomOutComboBox));
    zero_gesture_counts(&two);
}

// Travel gathered toward one scroll direction, and the opposite one.
struct ScrollAxis {
    int32_t *inc_count, *dec_count;
    uint32_t *inc_travel, *dec_travel;
    int32_t inc_flag, dec_flag;
};

void gather(const ScrollAxis &a, int32_t dir, uint32_t amount)
{
    if (dir > 0) {
        ++*a.inc_count;
        *a.inc_travel += amount;
        *a.dec_travel = 0;
        *a.dec_count = 0;
    } else if (dir < 0) {
        ++*a.dec_count;
        *a.dec_travel += amount;
        *a.inc_travel = 0;
        *a.inc_count = 0;
    }
}

// The direction-change rules and the step test of one axis: sets the axis'
// flag in scroll_flags when a step is due.
void scroll_step(TwoFingerState *two, const ScrollAxis &a, int32_t slider)
{
    int32_t needed = 1;
    if ((two->last_scroll_flags & a.dec_flag) && *a.inc_count == 1)
        *a.inc_travel = 0;
    if ((two->last_scroll_flags & a.inc_flag) && *a.dec_count == 1) {
        // Turning back after a step: wait for a second record.
        *a.dec_travel = 0;
        needed = 2;
    }
    uint32_t travel;
    int32_t flag;
    if (*a.inc_count >= needed) {
        travel = *a.inc_travel;
        flag = a.inc_flag;
    } else if (*a.dec_count >= needed) {
        travel = *a.dec_travel;
        flag = a.dec_flag;
    } else {
        return;
    }
    if (slider <= 0) {
        two->scroll_flags |= flag;
        return;
    }
    // A slider of kScrollSliderBase or more would divide by zero or a
    // negative number: such values scroll at the fastest step.
    uint32_t divisor = slider < kScrollSliderBase ? static_cast<uint32_t>(kScrollSliderBase - slider) : 1u;
    if (travel / divisor != 0)
        two->scroll_flags |= flag;
}

void scrolling(const StepContext &c)
{
    TwoFingerState &two = c.st->two;
    const int32_t slider = relaxed(c.snap.ScrollingSpeedSlider);
    // A new touch's first record has no movement of its own: what an earlier
    // touch left behind must not become travel (a still two-finger tap after
    // a fast scroll would turn into one more scroll step).
    if (!two.movement_of_touch) {
        two.last_scroll_flags = 0;  // as after any record without a step
        return;
    }
    const int32_t dy1 = two.dy1, dy2 = two.dy2;

    if (relaxed(c.snap.VerticalScrollingCheckBox) == 1 &&
        int64_t{two.prev_ysep} - two.ysep <= kScrollTogetherSlack &&
        abs_diff(dy1, dy2) <= kScrollTogetherSlack) {
        ScrollAxis v{&two.vscroll_inc_count,
                     &two.vscroll_dec_count,
                     &two.vscroll_inc_travel,
                     &two.vscroll_dec_travel,
                     kScrollYInc,
                     kScrollYDec};
        if (dy1 > 0 && dy2 > 0) {
            gather(v, 1, static_cast<uint32_t>(dy1 < dy2 ? dy1 : dy2));
        } else if (dy1 < 0 && dy2 < 0) {
            uint32_t a1 = magnitude(dy1), a2 = magnitude(dy2);
            gather(v, -1, a1 > a2 ? a1 : a2);
        }
        scroll_step(&two, v, slider);
    }
    if (relaxed(c.snap.HorizontalScrollingCheckBox) != 0 && int64_t{two.xsep} - two.prev_xsep <= 0 &&
        two.dx1 == two.dx2) {
        ScrollAxis h{&two.hscroll_inc_count,
                     &two.hscroll_dec_count,
                     &two.hscroll_inc_travel,
                     &two.hscroll_dec_travel,
                     kScrollXInc,
                     kScrollXDec};
        gather(h, two.dx1, magnitude(two.dx1));
        scroll_step(&two, h, slider);
    }

    if (two.scroll_flags == 0) {
        two.last_scroll_flags = 0;
        return;
    }
    two.last_scroll_flags = two.scroll_flags;
    two.two_finger_gesture = TwoFingerGesture::kScroll;
    if (two.scroll_flags & kScrollYInc) {
        c.enqueue(Gesture::kScrollYInc, 0);
        two.vscroll_inc_travel = two.vscroll_dec_travel = 0;
    } else if (two.scroll_flags & kScrollYDec) {
        c.enqueue(Gesture::kScrollYDec, 0);
        two.vscroll_inc_travel = two.vscroll_dec_travel = 0;
    } else if (two.scroll_flags & kScrollXInc) {
        c.enqueue(Gesture::kScrollXInc, 0);
        two.hscroll_inc_travel = two.hscroll_dec_travel = 0;
    } else {
        c.enqueue(Gesture::kScrollXDec, 0);
        two.hscroll_inc_travel = two.hscroll_dec_travel = 0;
    }
    zero_gesture_counts(&two);
    c.st->touch.touch_consumed = 1;
    c.st->touch.scrolled = 1;
}

}  // namespace

namespace {

// The phase is still open, or held by the given gesture (read afresh: a
// stage may take the phase for its gesture).
bool phase_open_for(const TwoFingerState &two, TwoFingerGesture g)
{
    return two.two_finger_gesture == TwoFingerGesture::kNone || two.two_finger_gesture == g;
}

}  // namespace

void two_finger_stage(const StepContext &c)
{
    TwoFingerState &two = c.st->two;
    pair_fingers(c);
    measure_movement(&two);
    if (two.pair_count >= 2 && two.pairing_known && phase_open_for(two, TwoFingerGesture::kRotate))
        rotation(c);
    if (phase_open_for(two, TwoFingerGesture::kZoom))
        zoom(c);
    if (phase_open_for(two, TwoFingerGesture::kScroll) && c.st->touch.one_finger_count == 0)
        scrolling(c);
}
