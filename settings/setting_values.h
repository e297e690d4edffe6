// A shown setting's value on a block, read as its control shows it and
// written through the parameter client's own clamping, rounding and store,
// so the window stores exactly what "vorellctl2 NAME=VALUE" would.
#pragma once

#include <cstdint>

#include "parameter_descriptor.h"
#include "settings_layout.h"

// The entry's row in the settings-panel table (every entry has one; the
// layout's test checks it).
const ParameterDescriptor &setting_row(const SettingEntry &entry);

// A row's value as the block stores it.
double stored_value(const void *block, const ParameterDescriptor &row);

// A slider's ends and step in shown units.
struct SliderRange {
    double lowest;
    double highest;
    double step;
};
SliderRange slider_range(const SettingEntry &entry);

// The value as the control shows it: a flag's 0 or 1, a slider's number in
// shown units, a drop-down's code.
double shown_value(const void *block, const SettingEntry &entry);

// Stores a value given in shown units: clamped to the row's range, then
// rounded for integer and flag rows, as vorellctl2 does.
void store_shown_value(void *block, const SettingEntry &entry, double shown);

// True when the two blocks hold different stored values for the entry.
bool setting_differs(const void *a, const void *b, const SettingEntry &entry);

// The drop-down row that shows a code: the code itself when the list names
// it, -1 for a code in the row's range that names nothing (the engine does
// nothing for it).
int choice_row(const SettingEntry &entry, int32_t code);

// The drag lock's release styles, in layout order (lift, tap again, wait):
// the index of the one flag that is up, or -1 when none or several are.
int release_style(const void *block);
// Puts that style's flag up and the other two down.
void store_release_style(void *block, int style);
