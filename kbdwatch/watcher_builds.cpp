#include "watcher_builds.h"

#include <cstddef>

#include "touchpad_block.h"

// clang-format off
#define FLAG_ROW(field) {PARAMETER_ROW(field, 0.0, 1.0), {nullptr, 0, kBlockInt, 0.0, 0.0}}
// clang-format on
#define AT(field) static_cast<int32_t>(offsetof(TouchpadSharedBlock, field))

const WatcherBuild kWatcherBuilds[kWatcherBuildCount] = {
    {"kbdwatch-palmtrack", FLAG_ROW(DetectPalmtrackIntr), AT(PalmtrackDelayComboBox), kExemptKeyCount, true},
    {"kbdwatch-covergesture", FLAG_ROW(DetectCovergestureIntr), AT(CoverDelayComboBox), kExemptKeyCount,
     true},
    {"kbdwatch-kbd", FLAG_ROW(DetectKbdIntr), AT(CursorDelayComboBox), kExemptKeyCount, true},
    {"kbdwatch-tap", FLAG_ROW(DetectTapIntr), AT(TappingDelayComboBox), kExemptKeyCount, false},
    {"kbdwatch-gesture", FLAG_ROW(DetectGestureIntr), AT(GestureDelayComboBox), kModifierExemptCount, false},
};

#undef FLAG_ROW
#undef AT

// Keycodes of the X server's xfree86 set. The first eight rows are the
// modifiers; the rest are the cursor and editing keys that only the gesture
// watcher counts as typing.
const ExemptKey kExemptKeys[kExemptKeyCount] = {
    {6, 0x04},   // 50  Shift, left
    {4, 0x20},   // 37  Control, left
    {8, 0x01},   // 64  Alt, left
    {14, 0x08},  // 115 left logo key
    {7, 0x40},   // 62  Shift, right
    {13, 0x20},  // 109 Control, right
    {14, 0x02},  // 113 Alt, right
    {8, 0x04},   // 66  Caps Lock
    {12, 0x04},  // 98  Up
    {13, 0x01},  // 104 Down
    {12, 0x10},  // 100 Left
    {12, 0x40},  // 102 Right
    {13, 0x02},  // 105 Page Down
    {13, 0x08},  // 107 Delete
    {1, 0x02},   // 9   Escape
};
