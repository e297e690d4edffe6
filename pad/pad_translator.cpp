#include "pad_translator.h"

#include <linux/input.h>
#include <mtdev-plumbing.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int tool_fingers(uint16_t code)
{
    switch (code) {
    case BTN_TOOL_FINGER: return 1;
    case BTN_TOOL_DOUBLETAP: return 2;
    case BTN_TOOL_TRIPLETAP: return 3;
    case BTN_TOOL_QUADTAP: return 4;
    case BTN_TOOL_QUINTTAP: return 5;
    default: return 0;
    }
}

}  // namespace

PadTranslator::PadTranslator(const PadDescription &description) : desc_(description)
{
    multitouch_ = desc_.abs[ABS_MT_POSITION_X].present && desc_.abs[ABS_MT_POSITION_Y].present;
    semi_mt_ = desc_.has_prop(INPUT_PROP_SEMI_MT);
    clickpad_ = desc_.has_prop(INPUT_PROP_BUTTONPAD);
    geo_ = PadGeometry(desc_);
    stack_ = TouchStack(!semi_mt_);

    if (multitouch_ && desc_.abs[ABS_MT_SLOT].present) {
        const int32_t last = desc_.abs[ABS_MT_SLOT].maximum;
        slot_count_ = last >= kPadMaxSlots ? kPadMaxSlots : std::max(last + 1, 1);
    } else if (multitouch_) {
        // Protocol A: anonymous contacts, turned into slots by mtdev.
        mtdev_ = mtdev_new();
        if (mtdev_ && mtdev_init(mtdev_) == 0) {
            for (int code = ABS_MT_TOUCH_MAJOR; code <= ABS_MT_TOOL_Y && code < kPadAbsCount; ++code) {
                const PadAxis &a = desc_.abs[code];
                if (!a.present)
                    continue;
                mtdev_set_mt_event(mtdev_, code, 1);
                mtdev_set_abs_minimum(mtdev_, code, a.minimum);
                mtdev_set_abs_maximum(mtdev_, code, a.maximum);
                mtdev_set_abs_fuzz(mtdev_, code, a.fuzz);
                mtdev_set_abs_resolution(mtdev_, code, a.resolution);
            }
            slot_count_ = kPadMaxSlots;
        } else if (mtdev_) {
            mtdev_delete(mtdev_);
            mtdev_ = nullptr;
        }
    }
}

PadTranslator::~PadTranslator()
{
    // mtdev_init allocated the converter's state: close it, then free it.
    if (mtdev_)
        mtdev_close_delete(mtdev_);
}

bool PadTranslator::feed(const PadEvent &event)
{
    if (!mtdev_)
        return apply(event);
    struct input_event in {};
    in.input_event_sec = static_cast<decltype(in.input_event_sec)>(event.time_us / 1000000);
    in.input_event_usec = static_cast<decltype(in.input_event_usec)>(event.time_us % 1000000);
    in.type = event.type;
    in.code = event.code;
    in.value = event.value;
    mtdev_put_event(mtdev_, &in);
    bool reported = false;
    while (!mtdev_empty(mtdev_)) {
        struct input_event out;
        mtdev_get_event(mtdev_, &out);
        PadEvent e;
        e.time_us = static_cast<int64_t>(out.input_event_sec) * 1000000 + out.input_event_usec;
        e.type = out.type;
        e.code = out.code;
        e.value = out.value;
        reported = apply(e) || reported;
    }
    return reported;
}

bool PadTranslator::apply(const PadEvent &event)
{
    if (event.type == EV_SYN) {
        if (event.code == SYN_DROPPED) {
            dropping_ = true;
            return false;
        }
        if (event.code != SYN_REPORT)
            return false;
        if (dropping_) {
            dropping_ = false;
            return false;
        }
        finish_report(event.time_us);
        return true;
    }
    if (dropping_)
        return false;
    if (event.type == EV_KEY)
        apply_key(event.code, event.value);
    else if (event.type == EV_ABS)
        apply_abs(event.code, event.value);
    return false;
}

void PadTranslator::apply_key(uint16_t code, int32_t value)
{
    const bool down = value != 0;
    if (const int n = tool_fingers(code)) {
        tools_[n] = down;
        return;
    }
    if (code >= BTN_0 && code <= BTN_7) {
        extra_[code - BTN_0] = down;
        return;
    }
    switch (code) {
    case BTN_TOUCH:
        touch_ = down;
        touch_seen_ = true;
        break;
    case BTN_LEFT: left_ = down; break;
    case BTN_RIGHT: right_ = down; break;
    case BTN_MIDDLE: middle_ = down; break;
    case BTN_FORWARD: forward_ = down; break;
    case BTN_BACK: back_ = down; break;
    default: break;
    }
}

void PadTranslator::apply_abs(uint16_t code, int32_t value)
{
    if (code == ABS_MT_SLOT) {
        current_slot_ = (value >= 0 && value < slot_count_) ? value : -1;
        return;
    }
    if (code == ABS_TOOL_WIDTH) {
        tool_width_ = value;
        return;
    }
    if (code == ABS_PRESSURE) {
        pressure_ = value;
        return;
    }
    if (!multitouch_) {
        if (code == ABS_X) {
            slots_[0].x = value;
            slots_[0].has_x = true;
        } else if (code == ABS_Y) {
            slots_[0].y = value;
            slots_[0].has_y = true;
        }
        return;
    }
    if (current_slot_ < 0)
        return;  // a slot beyond the ones we follow
    Slot &s = slots_[current_slot_];
    switch (code) {
    case ABS_MT_TRACKING_ID:
        if (value >= 0 && s.tracking_id != value)
            s.new_id = true;
        s.tracking_id = value < 0 ? -1 : value;
        break;
    case ABS_MT_POSITION_X:
        s.x = value;
        s.has_x = true;
        break;
    case ABS_MT_POSITION_Y:
        s.y = value;
        s.has_y = true;
        break;
    case ABS_MT_TOUCH_MAJOR: s.major = value; break;
    case ABS_MT_WIDTH_MAJOR: s.width_major = value; break;
    case ABS_MT_PRESSURE: s.pressure = value; break;
    case ABS_MT_TOOL_TYPE: s.tool = value; break;
    default: break;
    }
}

bool PadTranslator::single_touch_down() const
{
    return touch_ || tools_[1] || tools_[2] || tools_[3] || tools_[4] || tools_[5];
}

// Every contact the pad tracks now, in millimetres.
int PadTranslator::read_contacts(ContactReading *out) const
{
    int n = 0;
    if (touch_seen_ && !touch_)
        return 0;  // tracked above the pad, not touching it
    if (!multitouch_) {
        const Slot &s = slots_[0];
        if (!single_touch_down() || !s.has_x || !s.has_y)
            return 0;
        ContactReading &r = out[n++];
        r = ContactReading{};
        r.slot = 0;
        r.located = true;
        r.at = PointMm{geo_.x_mm(s.x), geo_.y_mm(s.y)};
        r.above_bottom = geo_.above_bottom_mm(r.at.y);
        return n;
    }
    for (int i = 0; i < slot_count_; ++i) {
        const Slot &s = slots_[i];
        if (s.tracking_id < 0)
            continue;
        ContactReading &r = out[n++];
        r = ContactReading{};
        r.slot = i;
        r.new_id = s.new_id;
        r.located = s.has_x && s.has_y;
        if (r.located) {
            r.at = PointMm{geo_.x_mm(s.x), geo_.y_mm(s.y)};
            r.above_bottom = geo_.above_bottom_mm(r.at.y);
        }
        r.size_mm = geo_.size_mm(s.major, s.width_major);
        r.pressure = geo_.pressure_share(s.pressure);
        r.palm_tool = s.tool == MT_TOOL_PALM;
    }
    return n;
}

// The finger count: the fingers among the contacts, and the fingers a pad
// that tracks fewer slots than fingers counts only in BTN_TOOL_* (those
// beyond every contact it tracks, once they have stayed as long as a
// landing finger must).
int PadTranslator::finger_count(int64_t now_us, int fingers)
{
    int tools = 0;
    for (int i = 1; i <= 5; ++i)
        if (tools_[i])
            tools = i;
    const int beyond = std::max(0, tools - stack_.tracked());
    if (beyond <= extra_fingers_) {
        extra_fingers_ = beyond;
        extra_rising_us_ = -1;
    } else if (extra_rising_us_ < 0) {
        extra_rising_us_ = now_us;
    }
    if (extra_rising_us_ >= 0 && now_us - extra_rising_us_ >= kLandingMs * 1000) {
        extra_fingers_ = beyond;
        extra_rising_us_ = -1;
    }
    // A pad that reports contact through BTN_TOUCH may track a finger that
    // hovers above it; only a touch counts. (Some pads declare the key and
    // never send it: they are judged by their slots.)
    if (!touch_ && (touch_seen_ || (!multitouch_ && tools == 0)))
        return 0;
    return fingers + extra_fingers_;
}

int32_t PadTranslator::width_of(const Slot &slot) const
{
    int32_t w = kTypicalFingerWidth;
    if (desc_.abs[ABS_TOOL_WIDTH].present && tool_width_ >= 0) {
        w = map_by_range(desc_.abs[ABS_TOOL_WIDTH], tool_width_, 15);
    } else {
        // Contact length in millimetres; a typical finger (8 mm) gives 4.
        const double mm = geo_.size_mm(slot.major, slot.width_major);
        if (mm > 0)
            w = static_cast<int32_t>(std::lround(std::min(mm, 30.0) / 2));
    }
    return std::min(w, kWidestFinger);
}

int32_t PadTranslator::pressure_of(const Slot &slot) const
{
    if (multitouch_ && desc_.abs[ABS_MT_PRESSURE].present)
        return map_by_range(desc_.abs[ABS_MT_PRESSURE], slot.pressure, 255);
    if (desc_.abs[ABS_PRESSURE].present)
        return map_by_range(desc_.abs[ABS_PRESSURE], pressure_, 255);
    return kTypicalFingerPressure;
}

// Whether a clickpad click falls in the right button area: judged by the
// contact nearest the bottom edge, which is the one that pressed (a thumb
// too: it is no finger for gestures, but it clicks).
bool PadTranslator::right_button_area() const
{
    const AxisMap &mx = geo_.map_x(), &my = geo_.map_y();
    if (!mx.valid() || !my.valid())
        return false;
    const Slot *low = nullptr;
    for (int i = 0; i < (multitouch_ ? slot_count_ : 1); ++i) {
        const Slot &s = slots_[i];
        const bool down = multitouch_ ? s.tracking_id >= 0 : single_touch_down();
        if (down && s.has_x && s.has_y && (!low || my.clamp(s.y) > my.clamp(low->y)))
            low = &s;
    }
    if (!low)
        return false;
    const PadAxis &ay = desc_.abs[multitouch_ ? ABS_MT_POSITION_Y : ABS_Y];
    const PadAxis &ax = desc_.abs[multitouch_ ? ABS_MT_POSITION_X : ABS_X];
    bool bottom;
    if (my.length_mm() > 0)
        bottom = my.length_mm() - my.mm_from_min(low->y) <= kButtonAreaMm;
    else
        bottom = my.clamp(low->y) >=
                 ay.maximum - (static_cast<double>(ay.maximum) - ay.minimum) * kButtonAreaShare;
    const bool right_half = mx.clamp(low->x) > (static_cast<double>(ax.minimum) + ax.maximum) / 2;
    return bottom && right_half;
}

// One finger: hysteresis, as a touchpad driver applies to its reported
// position, so a finger settling as it lands (a few millimetres within a
// report or two) does not read as a movement.
void PadTranslator::publish_one(int slot)
{
    FingerState &s = state_;
    const Slot &finger = slots_[slot];
    const double x = geo_.map_x().map(finger.x);
    const double y = geo_.map_y().map(finger.y);
    const uint64_t id = stack_.contact(slot).order;
    // A semi-multitouch pad's first slot is a corner of the box around all
    // the fingers: while a second one lands it is no finger's position.
    if (semi_mt_ && one_id_ == id && prev_f_ == 1 && stack_.tracked() > 1)
        return;
    if (one_id_ != id || prev_f_ != 1) {
        s.x = saturate_to_int32(x);
        s.y = saturate_to_int32(y);
    } else {
        s.x = follow_with_hysteresis(s.x, x, kOneFingerHysteresis);
        s.y = follow_with_hysteresis(s.y, y, kOneFingerHysteresis);
    }
    one_id_ = id;
    touch_had_one_ = true;
}

// Two fingers: the gesture they make, in the pair the engine reads it from.
// Finger 1 is anchored where the engine takes the last one-finger position
// of this touch to lie on the two-finger scale, so that it pairs the
// coordinates as they are.
void PadTranslator::publish_pair(int64_t now_us, const int *slots, int n)
{
    const Contact &a = stack_.contact(slots[0]);
    const Contact &b = stack_.contact(slots[n > 1 ? 1 : 0]);
    if (prev_f_ != 2 || pair_ids_[0] != a.order || pair_ids_[1] != b.order) {
        if (touch_had_one_)
            pair_.begin(now_us, static_cast<double>(engine_two_finger_x(state_.x)),
                        static_cast<double>(engine_two_finger_y(state_.y)), !semi_mt_);
        else
            pair_.begin(now_us, two_finger_x(geo_.map_x().map(slots_[slots[0]].x)),
                        two_finger_y(geo_.map_y().map(slots_[slots[0]].y)), !semi_mt_);
        pair_ids_[0] = a.order;
        pair_ids_[1] = b.order;
    }
    if (n > 1)
        pair_.update(now_us, a, b);
    int32_t out[4];
    pair_.out(out);
    state_.x2_1 = out[0];
    state_.y2_1 = out[1];
    state_.x2_2 = out[2];
    state_.y2_2 = out[3];
}

// Three or more fingers: the centre of those the pad locates, on the
// two-finger scale, standing still until it has moved kThreeFingerMoveMm
// over the motion window (a resting hand, its fingers settling, sends
// nothing), then following with a unit of hysteresis.
void PadTranslator::publish_three(int64_t now_us, const int *slots, int n)
{
    FingerState &s = state_;
    if (prev_f_ < 3) {
        three_moving_ = false;
        three_begun_us_ = now_us;
    }
    const int64_t from = std::max(three_begun_us_, now_us - kMotionWindowMs * 1000);
    PointMm now_mm, then_mm;
    double cx = 0, cy = 0;
    for (int i = 0; i < n; ++i) {
        const Contact &c = stack_.contact(slots[i]);
        now_mm = now_mm + c.at;
        then_mm = then_mm + c.history.at(from);
        cx += two_finger_x(geo_.map_x().map(slots_[slots[i]].x));
        cy += two_finger_y(geo_.map_y().map(slots_[slots[i]].y));
    }
    cx /= n;
    cy /= n;
    if (!three_on_) {
        s.x3_1 = saturate_to_int32(cx);
        s.y3_1 = saturate_to_int32(cy);
    }
    three_on_ = true;
    if (!three_moving_ && length((now_mm - then_mm) * (1.0 / n)) >= kThreeFingerMoveMm)
        three_moving_ = true;
    if (three_moving_) {
        s.x3_1 = follow_with_hysteresis(s.x3_1, cx, kThreeFingerHysteresis);
        s.y3_1 = follow_with_hysteresis(s.y3_1, cy, kThreeFingerHysteresis);
    }
}

void PadTranslator::finish_report(int64_t now_us)
{
    last_report_us_ = now_us;
    stack_.update(now_us, readings_, read_contacts(readings_));
    for (Slot &slot : slots_)
        slot.new_id = false;
    int all[kPadMaxSlots], located[kPadMaxSlots];
    const int fingers = stack_.fingers(all, kPadMaxSlots);
    int n = 0;
    for (int i = 0; i < fingers; ++i)
        if (stack_.contact(all[i]).located)
            located[n++] = all[i];
    const int f = finger_count(now_us, fingers);

    FingerState &s = state_;
    s.f = f;
    if (f > 0 && n > 0) {
        s.z = pressure_of(slots_[located[0]]);
        if (prev_f_ == 0)
            s.w = width_of(slots_[located[0]]);  // held for the touch: its changes are no gesture
    } else if (f == 0) {
        s.z = 0;
    }
    if (f == 1 && n > 0)
        publish_one(located[0]);
    else if (f != 1)
        one_id_ = 0;
    if (f == 2 && n > 0) {
        publish_pair(now_us, located, n);
    } else {
        pair_ids_[0] = pair_ids_[1] = 0;
    }
    if (f >= 3 && n > 0)
        publish_three(now_us, located, n);
    else if (f < 3)
        three_on_ = three_moving_ = false;
    // A decided gesture holds its fingers until they change.
    stack_.set_locked((f == 2 && pair_ids_[0] != 0 && pair_.mode() != PairMode::kUndecided) ||
                      (f >= 3 && three_moving_));
    if (f == 0)
        touch_had_one_ = false;
    prev_f_ = f;

    // Buttons. On a clickpad the one physical button is left or right by
    // where the pressing finger is, decided when it goes down.
    if (clickpad_ && left_ && !left_was_down_)
        click_is_right_ = right_button_area();
    left_was_down_ = left_;
    s.l = left_ && !(clickpad_ && click_is_right_);
    s.r = right_ || (left_ && clickpad_ && click_is_right_);
    s.m = middle_;
    s.u = forward_;
    s.d = back_;
    for (int i = 0; i < 8; ++i)
        s.multi[i] = extra_[i];
}

int64_t PadTranslator::next_change_us() const
{
    if (dropping_)
        return -1;  // the next report brings the device's state anew
    int64_t next = stack_.next_landing_us();
    if (extra_rising_us_ >= 0) {
        const int64_t at = extra_rising_us_ + kLandingMs * 1000;
        next = next < 0 ? at : std::min(next, at);
    }
    return next;
}

bool PadTranslator::tick(int64_t now_us)
{
    if (dropping_)
        return false;
    const FingerState before = state_;
    finish_report(std::max(now_us, last_report_us_));
    return memcmp(&before, &state_, sizeof before) != 0;
}

const FingerState &PadTranslator::lift_all()
{
    for (Slot &s : slots_)
        s.tracking_id = -1;
    touch_ = false;
    for (bool &t : tools_)
        t = false;
    left_ = right_ = middle_ = forward_ = back_ = false;
    for (bool &e : extra_)
        e = false;
    dropping_ = false;
    finish_report(last_report_us_);
    return state_;
}
