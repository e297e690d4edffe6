// What the live view draws for one reading of the block: the contacts of the
// finger record that NewStruct selects, placed on the pad as fractions of its
// width and height, and the buttons that are down. Pure: the view reads the
// block and hands the copy in.
#pragma once

#include <cstdint>
#include <string>

#include "touchpad_block.h"

// The words of the block the view looks at.
struct FingerReading {
    int32_t NewStruct;
    int32_t x, y, z, w;
    FingerRecord record;  // the copy NewStruct selects; all zero when it selects none
};

FingerReading read_fingers(const TouchpadSharedBlock &block);
bool same_reading(const FingerReading &a, const FingerReading &b);
// A finger or a button is down: the view then follows every frame.
bool reading_is_busy(const FingerReading &r);

// The pad's proportions, width over height (a 100 by 76 mm pad).
double pad_aspect();

struct DrawnContact {
    double x, y;    // 0..1 from the pad's left and top edge, clamped onto the pad
    double radius;  // fraction of the pad's width, grows with the contact's width w
};

enum class PadButton { kLeft, kMiddle, kRight, kUp, kDown };
constexpr int kNamedButtonCount = 5;
constexpr int kExtraButtonCount = 8;

struct PadPicture {
    int fingers;  // the record's f: 0 none, 1 to 3 drawn, other counts are only named
    int contact_count;
    DrawnContact contacts[2];  // one finger: its position; two: both; three: their centre
    bool named_down[kNamedButtonCount];
    bool extra_down[kExtraButtonCount];
};

PadPicture picture_of(const FingerReading &r);

const char *button_name(PadButton button);  // "left", "middle", ...

// The picture in words: how many fingers, and which buttons are down
// ("2 fingers on the pad; buttons down: left").
std::string picture_summary(const PadPicture &picture);
