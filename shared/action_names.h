// The three catalogues of actions that a combo-box parameter picks by
// number, written once: the common catalogue (remapped buttons, two- and
// three-finger taps, the cover gesture), the zoom catalogue and the rotation
// catalogue, each in the settings panel's order from 0 up, with the name
// people read for each. The engine carries them out by these enumerators
// (gestured/actions/selectable_actions.cpp); the settings window, the
// README test and the session's listing show the names.
#pragma once

#include <cstdint>

// clang-format off
#define VORELL_COMMON_ACTIONS(X)                 \
    X(kLeftButton, "left button")                \
    X(kRightButton, "right button")              \
    X(kMiddleButton, "middle button")            \
    X(kAltRight, "Alt+Right")                    \
    X(kAltLeft, "Alt+Left")                      \
    X(kAltF10, "Alt+F10")                        \
    X(kAltF9, "Alt+F9")                          \
    X(kNothing, "nothing")                       \
    X(kPageDown, "Page Down")                    \
    X(kPageUp, "Page Up")                        \
    X(kWheelDown, "wheel down")                  \
    X(kWheelLeft, "wheel left")                  \
    X(kWheelRight, "wheel right")                \
    X(kWheelUp, "wheel up")                      \
    X(kControlWheelDown, "Control+wheel down")   \
    X(kControlWheelUp, "Control+wheel up")       \
    X(kAltF4, "Alt+F4")                          \
    X(kAltControlD, "Alt+Control+D")

#define VORELL_ZOOM_ACTIONS(X)                   \
    X(kPageUp, "Page Up")                        \
    X(kPageDown, "Page Down")                    \
    X(kControlWheelDown, "Control+wheel down")   \
    X(kControlWheelUp, "Control+wheel up")       \
    X(kAltF9, "Alt+F9")                          \
    X(kAltF10, "Alt+F10")

#define VORELL_ROTATE_ACTIONS(X)                 \
    X(kPageUp, "Page Up")                        \
    X(kPageDown, "Page Down")                    \
    X(kControlR, "Control+R")                    \
    X(kControlL, "Control+L")                    \
    X(kAltF9, "Alt+F9")                          \
    X(kAltF10, "Alt+F10")
// clang-format on

#define VORELL_ACTION_ENUMERATOR(name, words) name,
enum class CommonAction : int32_t { VORELL_COMMON_ACTIONS(VORELL_ACTION_ENUMERATOR) };
enum class ZoomAction : int32_t { VORELL_ZOOM_ACTIONS(VORELL_ACTION_ENUMERATOR) };
enum class RotateAction : int32_t { VORELL_ROTATE_ACTIONS(VORELL_ACTION_ENUMERATOR) };
#undef VORELL_ACTION_ENUMERATOR
static_assert(static_cast<int32_t>(CommonAction::kAltControlD) == 17 &&
                  static_cast<int32_t>(ZoomAction::kAltF10) == 5 &&
                  static_cast<int32_t>(RotateAction::kAltF10) == 5,
              "the settings panel's numbers");

enum class ActionCatalogue { kCommon, kZoom, kRotation };

// How many codes the catalogue names; they run from 0 up.
int action_count(ActionCatalogue catalogue);

// The name of code in the catalogue, or nullptr for a code that the
// catalogue does not hold (the engine does nothing for those).
const char *action_name(ActionCatalogue catalogue, int code);
