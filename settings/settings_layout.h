// What the settings window shows: every parameter of the settings-panel
// table (vorellctl2's) in the group a person looks for it in, with the kind
// of control, its label, the switch it depends on and, for a drop-down, the
// list its choices are named from. Ranges are not written here: they are the
// parameter table's own.
#pragma once

#include "action_names.h"

enum class SettingGroup {
    kTapping,
    kScrolling,
    kZoomRotation,
    kThreeFingers,
    kDragLock,
    kCover,
    kButtons,
    kWhileTyping,
    kPointer,
};
constexpr int kSettingGroupCount = 9;

enum class ControlKind {
    kCheck,         // a flag, as a check box
    kSlider,        // a number anywhere in the row's range
    kChoice,        // a number picked from named values, as a drop-down
    kReleaseStyle,  // one of the drag lock's three flags that exclude one another, as radio buttons
};

// Where the names of a drop-down's values come from.
enum class ChoiceList { kCommonActions, kZoomActions, kRotationActions, kTouchpadSwitch };

// How a slider shows its number: the stored value times factor, moved in
// steps of step, with digits decimals and the unit after it.
struct SliderLook {
    double factor;
    double step;
    int digits;
    const char *unit;
};

struct SettingEntry {
    const char *parameter;  // the row's name in the settings-panel table
    SettingGroup group;
    ControlKind kind;
    const char *label;
    const char *master;  // the check box that switches it on, or nullptr
    ChoiceList choices;  // kChoice only
    SliderLook look;     // kSlider only
};

// Every shown setting, group by group, in the order the window lays them out.
extern const SettingEntry kSettingEntries[];
extern const int kSettingEntryCount;

// Rows of the table the window leaves out: the driver's version code, the
// finger-record selector the engine sets for itself, and a byte mode that
// no program acts on. Ended by nullptr.
extern const char *const kParametersNotShown[];

const char *group_title(SettingGroup group);

// The entry of a parameter (names compared without regard to case), or
// nullptr.
const SettingEntry *find_setting(const char *parameter);

// The drop-down's values: how many, and the name of each (index = code).
int choice_count(ChoiceList list);
const char *choice_name(ChoiceList list, int index);
