// One row of a parameter table: a block field by name, with its type and the
// range that assignments are clamped to. The parameter clients keep their
// tables of these rows; each key-activity watcher describes its one flag
// with a row of the same form.
#pragma once

#include <cstdint>

enum ParameterType { kParamInt = 0, kParamBool = 1, kParamDouble = 2 };

struct ParameterDescriptor {
    const char *name;
    int32_t offset;
    int32_t type;
    double minimum;
    double maximum;
};

// Case-insensitive lookup in table order, up to the row whose name is null;
// nullptr when no row matches.
const ParameterDescriptor *find_parameter(const ParameterDescriptor *table, const char *name);
