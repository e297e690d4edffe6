#include "settings_layout.h"

#include <strings.h>

#include <iterator>

namespace {

constexpr SliderLook kNoSlider{1, 1, 0, ""};
constexpr SliderLook kLevel{1, 1, 0, ""};         // the panel's 1-to-15 style sliders
constexpr SliderLook kTenths{0.1, 0.1, 1, " s"};  // stored in tenths of a second
constexpr SliderLook kSeconds{1, 0.1, 1, " s"};   // stored in seconds
constexpr SliderLook kSpeed{1, 0.01, 2, ""};      // pointer speed factors
constexpr SliderLook kAcceleration{1, 0.0001, 4, ""};

constexpr ChoiceList kNoChoice = ChoiceList::kCommonActions;

constexpr SettingEntry check(const char *name, SettingGroup group, const char *label, const char *master)
{
    return {name, group, ControlKind::kCheck, label, master, kNoChoice, kNoSlider};
}

constexpr SettingEntry slider(const char *name, SettingGroup group, const char *label, const char *master,
                              SliderLook look)
{
    return {name, group, ControlKind::kSlider, label, master, kNoChoice, look};
}

constexpr SettingEntry choice(const char *name, SettingGroup group, const char *label, const char *master,
                              ChoiceList list)
{
    return {name, group, ControlKind::kChoice, label, master, list, kNoSlider};
}

constexpr SettingEntry release(const char *name, const char *label)
{
    const char *master = "DragCheckBox";
    return {name, SettingGroup::kDragLock, ControlKind::kReleaseStyle, label, master, kNoChoice, kNoSlider};
}

using G = SettingGroup;
using L = ChoiceList;

}  // namespace

const SettingEntry kSettingEntries[] = {
    check("TappingCheckBox", G::kTapping, "Two- and three-finger taps", nullptr),
    choice("TwoFTComboBox", G::kTapping, "Two-finger tap", "TappingCheckBox", L::kCommonActions),
    choice("ThreeFTComboBox", G::kTapping, "Three-finger tap", "TappingCheckBox", L::kCommonActions),

    check("VerticalScrollingCheckBox", G::kScrolling, "Vertical two-finger scrolling", nullptr),
    check("HorizontalScrollingCheckBox", G::kScrolling, "Horizontal two-finger scrolling", nullptr),
    slider("ScrollingSpeedSlider", G::kScrolling, "Scrolling speed", nullptr, kLevel),
    check("AutoScrollCheckBox", G::kScrolling, "Keep scrolling after a quick flick", nullptr),

    check("ZoomCheckBox", G::kZoomRotation, "Pinch to zoom", nullptr),
    choice("ZoomInComboBox", G::kZoomRotation, "Spread (zoom in)", "ZoomCheckBox", L::kZoomActions),
    choice("ZoomOutComboBox", G::kZoomRotation, "Pinch (zoom out)", "ZoomCheckBox", L::kZoomActions),
    slider("ZoomSlider", G::kZoomRotation, "Zoom sensitivity", "ZoomCheckBox", kLevel),
    check("RotationCheckBox", G::kZoomRotation, "Two-finger rotation", nullptr),
    choice("ClockwiseComboBox", G::kZoomRotation, "Clockwise", "RotationCheckBox", L::kRotationActions),
    choice("CounterclosewiseComboBox", G::kZoomRotation, "Counter-clockwise", "RotationCheckBox",
           L::kRotationActions),
    slider("RotationSlider", G::kZoomRotation, "Rotation sensitivity", "RotationCheckBox", kLevel),

    check("SwipePageCheckBox", G::kThreeFingers, "Swipe sideways to go back and forward", nullptr),
    check("FastKeyCheckBox", G::kThreeFingers, "Move up or down for my home and window switching", nullptr),
    check("MyHomeFileCheckBox", G::kThreeFingers, "Up opens the home folder", "FastKeyCheckBox"),
    check("SwitchWindowsCheckBox", G::kThreeFingers, "Down switches windows", "FastKeyCheckBox"),

    check("DragCheckBox", G::kDragLock, "Tap and drag, with drag lock", nullptr),
    release("LiftReleaseRadioButton", "The drag ends when the finger lifts"),
    release("TapAgainRadioButton", "The drag ends with another tap"),
    release("TapReleaseRadioButton", "After a lift the drag waits for the finger to come back"),
    slider("DragSlider", G::kDragLock, "Wait for the finger", "DragCheckBox", kSeconds),

    check("CovergestureCheckBox", G::kCover, "Cover the pad with your hand", nullptr),
    choice("CovergestureComboBox", G::kCover, "Action", "CovergestureCheckBox", L::kCommonActions),
    slider("CovergestureSlider", G::kCover, "Width that counts as a cover", "CovergestureCheckBox", kLevel),

    check("ButtonCheckBox", G::kButtons, "Give the buttons other actions", nullptr),
    choice("ButtonLeftComboBox", G::kButtons, "Left button", "ButtonCheckBox", L::kCommonActions),
    choice("ButtonMiddleComboBox", G::kButtons, "Middle button", "ButtonCheckBox", L::kCommonActions),
    choice("ButtonRightComboBox", G::kButtons, "Right button", "ButtonCheckBox", L::kCommonActions),

    check("DisableWhenKeyCheckBox", G::kWhileTyping, "Quiet the touchpad while you type", nullptr),
    slider("TappingDelayComboBox", G::kWhileTyping, "Taps stay off for", "DisableWhenKeyCheckBox", kTenths),
    slider("CursorDelayComboBox", G::kWhileTyping, "The pointer stays still for", "DisableWhenKeyCheckBox",
           kTenths),
    slider("GestureDelayComboBox", G::kWhileTyping, "Gestures stay off for", "DisableWhenKeyCheckBox",
           kTenths),
    slider("CoverDelayComboBox", G::kWhileTyping, "The cover gesture stays off for", "DisableWhenKeyCheckBox",
           kTenths),
    slider("PalmtrackDelayComboBox", G::kWhileTyping, "Palm tracking waits for", "DisableWhenKeyCheckBox",
           kTenths),
    check("PalmtrackingCheckBox", G::kWhileTyping, "Palm tracking", nullptr),
    slider("PalmTrackingSlider", G::kWhileTyping, "Palm detection sensitivity", "PalmtrackingCheckBox",
           kLevel),

    choice("TouchpadOff", G::kPointer, "Touchpad", nullptr, L::kTouchpadSwitch),
    slider("MinSpeed", G::kPointer, "Slowest speed", nullptr, kSpeed),
    slider("MaxSpeed", G::kPointer, "Fastest speed", nullptr, kSpeed),
    slider("AccelFactor", G::kPointer, "Acceleration", nullptr, kAcceleration),
};
const int kSettingEntryCount = static_cast<int>(std::size(kSettingEntries));

const char *const kParametersNotShown[] = {"TP_Version", "NewStruct", "ByteMode", nullptr};

const char *group_title(SettingGroup group)
{
    switch (group) {
    case SettingGroup::kTapping: return "Tapping";
    case SettingGroup::kScrolling: return "Scrolling";
    case SettingGroup::kZoomRotation: return "Zoom and rotation";
    case SettingGroup::kThreeFingers: return "Three fingers";
    case SettingGroup::kDragLock: return "Drag lock";
    case SettingGroup::kCover: return "Cover gesture";
    case SettingGroup::kButtons: return "Buttons";
    case SettingGroup::kWhileTyping: return "While typing";
    case SettingGroup::kPointer: return "Pointer";
    }
    return "";
}

const SettingEntry *find_setting(const char *parameter)
{
    for (const SettingEntry &e : kSettingEntries)
        if (strcasecmp(e.parameter, parameter) == 0)
            return &e;
    return nullptr;
}

namespace {

// TouchpadOff's three values, as vorellidle and the parameter reference use them.
const char *const kTouchpadSwitchNames[] = {"on", "off", "only tapping and scrolling off"};

}  // namespace

int choice_count(ChoiceList list)
{
    switch (list) {
    case ChoiceList::kCommonActions: return action_count(ActionCatalogue::kCommon);
    case ChoiceList::kZoomActions: return action_count(ActionCatalogue::kZoom);
    case ChoiceList::kRotationActions: return action_count(ActionCatalogue::kRotation);
    case ChoiceList::kTouchpadSwitch: return static_cast<int>(std::size(kTouchpadSwitchNames));
    }
    return 0;
}

const char *choice_name(ChoiceList list, int index)
{
    switch (list) {
    case ChoiceList::kCommonActions: return action_name(ActionCatalogue::kCommon, index);
    case ChoiceList::kZoomActions: return action_name(ActionCatalogue::kZoom, index);
    case ChoiceList::kRotationActions: return action_name(ActionCatalogue::kRotation, index);
    case ChoiceList::kTouchpadSwitch:
        return index >= 0 && index < choice_count(list) ? kTouchpadSwitchNames[index] : nullptr;
    }
    return nullptr;
}
