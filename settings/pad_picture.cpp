#include "pad_picture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "unit_map.h"

FingerReading read_fingers(const TouchpadSharedBlock &block)
{
    FingerReading r{};
    r.NewStruct = block.NewStruct;
    r.x = block.x;
    r.y = block.y;
    r.z = block.z;
    r.w = block.w;
    if (block.NewStruct == 1)
        r.record = block.NewStructFingers;
    else if (block.NewStruct == 0)
        r.record = block.OldStructFingers;
    return r;
}

bool same_reading(const FingerReading &a, const FingerReading &b) { return memcmp(&a, &b, sizeof a) == 0; }

bool reading_is_busy(const FingerReading &r)
{
    const FingerRecord &f = r.record;
    if (f.f != 0 || f.l != 0 || f.r != 0 || f.u != 0 || f.d != 0 || f.m != 0)
        return true;
    return std::any_of(std::begin(f.multi), std::end(f.multi), [](int32_t b) { return b != 0; });
}

double pad_aspect() { return (kScaleMaxX - kScaleMinX) / (kScaleMaxY - kScaleMinY); }

namespace {

double fraction(double value, double low, double high)
{
    return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

// The one-finger scale.
double one_x(int32_t x) { return fraction(x, kScaleMinX, kScaleMaxX); }
double one_y(int32_t y) { return fraction(y, kScaleMinY, kScaleMaxY); }
// The coarser two- and three-finger scale: the pad's edges carried over by
// the same mapping the touchpad publisher uses.
double two_x(int32_t x) { return fraction(x, two_finger_x(kScaleMinX), two_finger_x(kScaleMaxX)); }
double two_y(int32_t y) { return fraction(y, two_finger_y(kScaleMinY), two_finger_y(kScaleMaxY)); }

// A fingertip is drawn about 8 mm across at the usual width of 4, a palm
// (width 15) about 21 mm; on the pad's 100 mm.
double radius_of(int32_t w) { return (3.0 + 1.2 * std::clamp(w, 0, 15)) / 100.0; }

}  // namespace

PadPicture picture_of(const FingerReading &r)
{
    PadPicture p{};
    const FingerRecord &f = r.record;
    p.fingers = f.f;
    const double radius = radius_of(r.w);
    if (f.f == 1) {
        p.contacts[0] = {one_x(r.x), one_y(r.y), radius};
        p.contact_count = 1;
    } else if (f.f == 2) {
        p.contacts[0] = {two_x(f.x2_1), two_y(f.y2_1), radius};
        p.contacts[1] = {two_x(f.x2_2), two_y(f.y2_2), radius};
        p.contact_count = 2;
    } else if (f.f == 3) {
        p.contacts[0] = {two_x(f.x3_1), two_y(f.y3_1), radius};
        p.contact_count = 1;
    }
    const int32_t named[kNamedButtonCount] = {f.l, f.m, f.r, f.u, f.d};
    for (int i = 0; i < kNamedButtonCount; ++i)
        p.named_down[i] = named[i] != 0;
    for (int i = 0; i < kExtraButtonCount; ++i)
        p.extra_down[i] = f.multi[i] != 0;
    return p;
}

const char *button_name(PadButton button)
{
    switch (button) {
    case PadButton::kLeft: return "left";
    case PadButton::kMiddle: return "middle";
    case PadButton::kRight: return "right";
    case PadButton::kUp: return "up";
    case PadButton::kDown: return "down";
    }
    return "";
}

std::string picture_summary(const PadPicture &picture)
{
    std::string text;
    if (picture.fingers == 0)
        text = "No finger on the pad";
    else if (picture.fingers == 1)
        text = "1 finger on the pad";
    else
        text = std::to_string(picture.fingers) + " fingers on the pad";
    std::string down;
    for (int i = 0; i < kNamedButtonCount; ++i)
        if (picture.named_down[i])
            down += std::string(down.empty() ? "" : ", ") + button_name(static_cast<PadButton>(i));
    for (int i = 0; i < kExtraButtonCount; ++i)
        if (picture.extra_down[i])
            down += (down.empty() ? "" : ", ") + std::to_string(i + 1);
    return down.empty() ? text : text + "; buttons down: " + down;
}
