// The parameter tables of the two client builds: vorellctl carries the
// driver-tuning table, vorellctl2 the settings-panel table. Each row names a
// block field with its type and the range that assignments are clamped to.
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

// Both tables end with a row whose name is null.
extern const ParameterDescriptor kCtlParameters[];   // vorellctl, 44 rows
extern const ParameterDescriptor kCtl2Parameters[];  // vorellctl2, 46 rows

// Case-insensitive lookup in table order; nullptr when no row matches.
const ParameterDescriptor *find_parameter(const ParameterDescriptor *table, const char *name);
