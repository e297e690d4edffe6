#include "pad_translator.h"

#include <linux/input.h>
#include <mtdev-plumbing.h>

#include <algorithm>
#include <cmath>

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
    const int ax = multitouch_ ? ABS_MT_POSITION_X : ABS_X;
    const int ay = multitouch_ ? ABS_MT_POSITION_Y : ABS_Y;
    map_x_ = AxisMap(desc_.abs[ax], kScaleMinX, kScaleMaxX);
    map_y_ = AxisMap(desc_.abs[ay], kScaleMinY, kScaleMaxY);

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
        finish_report();
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
        if (value < 0) {
            s.tracking_id = -1;
        } else {
            if (s.tracking_id < 0 || s.tracking_id != value)
                s.order = next_order_++;
            s.tracking_id = value;
        }
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
    case ABS_MT_PRESSURE: s.pressure = value; break;
    default: break;
    }
}

// Slots of the fingers down, in the order they came down.
int PadTranslator::active_fingers(int *order, int max) const
{
    int n = 0;
    if (!multitouch_) {
        if ((touch_ || tools_[1] || tools_[2] || tools_[3]) && slots_[0].has_x && slots_[0].has_y)
            order[n++] = 0;
        return n;
    }
    for (int i = 0; i < slot_count_ && n < max; ++i)
        if (slots_[i].tracking_id >= 0 && slots_[i].has_x && slots_[i].has_y)
            order[n++] = i;
    std::sort(order, order + n, [this](int a, int b) { return slots_[a].order < slots_[b].order; });
    return n;
}

int32_t PadTranslator::width_of(const Slot &slot) const
{
    if (desc_.abs[ABS_TOOL_WIDTH].present && tool_width_ >= 0)
        return map_by_range(desc_.abs[ABS_TOOL_WIDTH], tool_width_, 15);
    const PadAxis &major = desc_.abs[ABS_MT_TOUCH_MAJOR];
    if (multitouch_ && major.present && slot.major > 0) {
        // Contact length in millimetres; a typical finger (8 mm) gives 4.
        const PadAxis &px = desc_.abs[ABS_MT_POSITION_X];
        double mm;
        if (px.resolution > 0)
            mm = static_cast<double>(slot.major) / px.resolution;
        else if (px.maximum > px.minimum)
            mm = static_cast<double>(slot.major) / (static_cast<double>(px.maximum) - px.minimum) *
                 (kScaleMaxX - kScaleMinX) / kUnitsPerMm;
        else
            return kTypicalFingerWidth;
        return static_cast<int32_t>(std::min(15L, std::lround(mm / 2)));
    }
    return kTypicalFingerWidth;
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
// finger nearest the bottom edge, which is the one that pressed.
bool PadTranslator::right_button_area(const int *order, int n) const
{
    if (n == 0 || !map_x_.valid() || !map_y_.valid())
        return false;
    const Slot *low = &slots_[order[0]];
    for (int i = 1; i < n; ++i)
        if (map_y_.clamp(slots_[order[i]].y) > map_y_.clamp(low->y))
            low = &slots_[order[i]];
    const PadAxis &ay = desc_.abs[multitouch_ ? ABS_MT_POSITION_Y : ABS_Y];
    const PadAxis &ax = desc_.abs[multitouch_ ? ABS_MT_POSITION_X : ABS_X];
    bool bottom;
    if (map_y_.length_mm() > 0)
        bottom = map_y_.length_mm() - map_y_.mm_from_min(low->y) <= kButtonAreaMm;
    else
        bottom = map_y_.clamp(low->y) >=
                 ay.maximum - (static_cast<double>(ay.maximum) - ay.minimum) * kButtonAreaShare;
    const bool right_half = map_x_.clamp(low->x) > (static_cast<double>(ax.minimum) + ax.maximum) / 2;
    return bottom && right_half;
}

void PadTranslator::finish_report()
{
    int order[kPadMaxSlots];
    const int n = active_fingers(order, kPadMaxSlots);
    int tools = 0;
    for (int i = 1; i <= 5; ++i)
        if (tools_[i])
            tools = i;
    // A pad that tracks fewer slots than fingers says how many through
    // BTN_TOOL_*; a semi-MT pad's two slots are a bounding box, not fingers.
    int f = std::max(n, tools);
    // A pad that reports contact through BTN_TOUCH may track a finger that
    // hovers above it; only a touch counts. (Some pads declare the key and
    // never send it: they are judged by their slots.)
    if (!touch_ && (touch_seen_ || (!multitouch_ && tools == 0)))
        f = 0;
    FingerState &s = state_;
    s.f = f;

    if (f > 0 && n > 0) {
        const Slot &first = slots_[order[0]];
        s.z = pressure_of(first);
        s.w = width_of(first);
    } else if (f == 0) {
        s.z = 0;
    }

    if (f == 1 && n > 0) {
        // One finger: hysteresis, as a touchpad driver applies to its
        // reported position, so a finger settling as it lands (a few
        // millimetres within a report or two) does not read as a movement.
        const double x = map_x_.map(slots_[order[0]].x);
        const double y = map_y_.map(slots_[order[0]].y);
        if (one_id_ != slots_[order[0]].order || (!multitouch_ && prev_f_ != 1)) {
            s.x = static_cast<int32_t>(std::lround(x));
            s.y = static_cast<int32_t>(std::lround(y));
        } else {
            s.x = follow_with_hysteresis(s.x, x, kOneFingerHysteresis);
            s.y = follow_with_hysteresis(s.y, y, kOneFingerHysteresis);
        }
        one_id_ = slots_[order[0]].order;
    } else if (f != 1) {
        one_id_ = 0;
    }
    prev_f_ = f;
    if (f == 2 && n > 0) {
        const Slot &a = slots_[order[0]];
        const Slot &b = slots_[order[n > 1 ? 1 : 0]];
        if (pair_ids_[0] != a.order || pair_ids_[1] != b.order)
            pair_.reset();
        pair_ids_[0] = a.order;
        pair_ids_[1] = b.order;
        int32_t out[4];
        pair_.shape(two_finger_x(map_x_.map(a.x)), two_finger_y(map_y_.map(a.y)),
                    two_finger_x(map_x_.map(b.x)), two_finger_y(map_y_.map(b.y)), out);
        s.x2_1 = out[0];
        s.y2_1 = out[1];
        s.x2_2 = out[2];
        s.y2_2 = out[3];
    } else {
        pair_.reset();
        pair_ids_[0] = pair_ids_[1] = 0;
    }
    if (f >= 3 && n > 0) {
        // The centroid of the fingers the pad locates, on the two-finger scale.
        double cx = 0, cy = 0;
        for (int i = 0; i < n; ++i) {
            cx += two_finger_x(map_x_.map(slots_[order[i]].x));
            cy += two_finger_y(map_y_.map(slots_[order[i]].y));
        }
        cx /= n;
        cy /= n;
        if (!three_held_) {
            s.x3_1 = static_cast<int32_t>(std::lround(cx));
            s.y3_1 = static_cast<int32_t>(std::lround(cy));
        } else {
            s.x3_1 = hold_within(s.x3_1, cx, kThreeFingerDeadband);
            s.y3_1 = hold_within(s.y3_1, cy, kThreeFingerDeadband);
        }
        three_held_ = true;
    } else if (f < 3) {
        three_held_ = false;
    }

    // Buttons. On a clickpad the one physical button is left or right by
    // where the pressing finger is, decided when it goes down.
    if (clickpad_ && left_ && !left_was_down_)
        click_is_right_ = right_button_area(order, n);
    left_was_down_ = left_;
    s.l = left_ && !(clickpad_ && click_is_right_);
    s.r = right_ || (left_ && clickpad_ && click_is_right_);
    s.m = middle_;
    s.u = forward_;
    s.d = back_;
    for (int i = 0; i < 8; ++i)
        s.multi[i] = extra_[i];
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
    finish_report();
    return state_;
}
