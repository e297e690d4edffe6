#include "setting_values.h"

#include <cstdlib>

#include "parameter_access.h"
#include "parameter_table.h"
#include "touchpad_block.h"

const ParameterDescriptor &setting_row(const SettingEntry &entry)
{
    const ParameterDescriptor *row = find_parameter(kCtl2Parameters, entry.parameter);
    if (!row)
        abort();  // a layout naming no row of the table is a build mistake the tests catch
    return *row;
}

SliderRange slider_range(const SettingEntry &entry)
{
    const ParameterDescriptor &row = setting_row(entry);
    return {row.minimum * entry.look.factor, row.maximum * entry.look.factor, entry.look.step};
}

double stored_value(const void *block, const ParameterDescriptor &row)
{
    if (row.type == kBlockDouble)
        return block_get_double(block, row.offset);
    return block_get_int(block, row.offset);
}

namespace {

// The release styles' entries, in layout order.
const int kReleaseStyleCount = 3;

const SettingEntry *release_entry(int style)
{
    int seen = 0;
    for (int i = 0; i < kSettingEntryCount; ++i)
        if (kSettingEntries[i].kind == ControlKind::kReleaseStyle && seen++ == style)
            return &kSettingEntries[i];
    return nullptr;
}

}  // namespace

double shown_value(const void *block, const SettingEntry &entry)
{
    double stored = stored_value(block, setting_row(entry));
    return entry.kind == ControlKind::kSlider ? stored * entry.look.factor : stored;
}

void store_shown_value(void *block, const SettingEntry &entry, double shown)
{
    const ParameterDescriptor &row = setting_row(entry);
    double stored = entry.kind == ControlKind::kSlider ? shown / entry.look.factor : shown;
    store_parameter_value(block, row, clamp_parameter_value(row, stored));
}

bool setting_differs(const void *a, const void *b, const SettingEntry &entry)
{
    const ParameterDescriptor &row = setting_row(entry);
    return stored_value(a, row) != stored_value(b, row);
}

int choice_row(const SettingEntry &entry, int32_t code)
{
    return code >= 0 && code < choice_count(entry.choices) ? code : -1;
}

int release_style(const void *block)
{
    int up = -1;
    for (int style = 0; style < kReleaseStyleCount; ++style) {
        if (shown_value(block, *release_entry(style)) == 0)
            continue;
        if (up != -1)
            return -1;
        up = style;
    }
    return up;
}

void store_release_style(void *block, int style)
{
    for (int s = 0; s < kReleaseStyleCount; ++s)
        store_shown_value(block, *release_entry(s), s == style ? 1 : 0);
}
