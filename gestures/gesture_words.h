// The gestures a person can bind in the gestures file, written once: the
// file's word for each, the name people read, and where the engine's own
// action comes from when nothing is bound (a combo box of the block and its
// catalogue, or a fixed action), with the settings that switch the gesture
// on. The engine maps its action codes onto these (gestured/actions/
// bound_gestures.cpp); vorell-config and the settings window show them.
#pragma once

#include "action_names.h"

// clang-format off
//  enumerator,        file word,            name people read,     combo box,                  catalogue, fixed action,           switches
#define VORELL_BOUND_GESTURES(X)                                                                                                             \
    X(kTwoFingerTap,   "two-finger-tap",     "two-finger tap",     "TwoFTComboBox",            kCommon,   nullptr,                "TappingCheckBox", nullptr)             \
    X(kThreeFingerTap, "three-finger-tap",   "three-finger tap",   "ThreeFTComboBox",          kCommon,   nullptr,                "TappingCheckBox", nullptr)             \
    X(kPinchIn,        "pinch-in",           "pinch in",           "ZoomOutComboBox",          kZoom,     nullptr,                "ZoomCheckBox", nullptr)                \
    X(kPinchOut,       "pinch-out",          "pinch out",          "ZoomInComboBox",           kZoom,     nullptr,                "ZoomCheckBox", nullptr)                \
    X(kRotateLeft,     "rotate-left",        "rotate left",        "CounterclosewiseComboBox", kRotation, nullptr,                "RotationCheckBox", nullptr)            \
    X(kRotateRight,    "rotate-right",       "rotate right",       "ClockwiseComboBox",        kRotation, nullptr,                "RotationCheckBox", nullptr)            \
    X(kSwipeLeft,      "swipe-left",         "swipe left",         nullptr,                    kCommon,   "back (Alt+Left)",      "SwipePageCheckBox", nullptr)           \
    X(kSwipeRight,     "swipe-right",        "swipe right",        nullptr,                    kCommon,   "forward (Alt+Right)",  "SwipePageCheckBox", nullptr)           \
    X(kThreeFingerUp,  "three-finger-up",    "three fingers up",   nullptr,                    kCommon,   "open the home folder", "FastKeyCheckBox", "MyHomeFileCheckBox")    \
    X(kThreeFingerDown,"three-finger-down",  "three fingers down", nullptr,                    kCommon,   "switch windows",       "FastKeyCheckBox", "SwitchWindowsCheckBox") \
    X(kCover,          "cover",              "cover",              "CovergestureComboBox",     kCommon,   nullptr,                "CovergestureCheckBox", nullptr)        \
    X(kLeftButton,     "left-button",        "left button",        "ButtonLeftComboBox",       kCommon,   nullptr,                "ButtonCheckBox", nullptr)              \
    X(kMiddleButton,   "middle-button",      "middle button",      "ButtonMiddleComboBox",     kCommon,   nullptr,                "ButtonCheckBox", nullptr)              \
    X(kRightButton,    "right-button",       "right button",       "ButtonRightComboBox",      kCommon,   nullptr,                "ButtonCheckBox", nullptr)
// clang-format on

#define VORELL_BOUND_ENUMERATOR(name, ...) name,
enum class BoundGesture { VORELL_BOUND_GESTURES(VORELL_BOUND_ENUMERATOR) };
#undef VORELL_BOUND_ENUMERATOR

#define VORELL_BOUND_COUNT(...) +1
constexpr int kBoundGestureCount = 0 VORELL_BOUND_GESTURES(VORELL_BOUND_COUNT);
#undef VORELL_BOUND_COUNT

struct BoundGestureInfo {
    const char *word;             // "two-finger-tap"
    const char *name;             // "two-finger tap"
    const char *combo_box;        // the block parameter that picks its action, or nullptr
    ActionCatalogue catalogue;    // the catalogue that names the combo box's values
    const char *fixed_action;     // what it does when it has no combo box, or nullptr
    const char *switches[2];      // the settings that must be on for it to be recognised
};

const BoundGestureInfo &bound_gesture_info(BoundGesture gesture);

// The gesture of a file word, in any letter case; false for no gesture.
bool bound_gesture_from_word(const char *word, BoundGesture *out);

// Every gesture in the order above, for loops.
BoundGesture bound_gesture_at(int index);
