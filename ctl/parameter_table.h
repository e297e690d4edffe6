// The parameter tables of the two client builds: vorellctl carries the
// driver-tuning table, vorellctl2 the settings-panel table. Each row names a
// block field with its type and the range that assignments are clamped to.
#pragma once

#include "parameter_descriptor.h"

// Both tables end with a row whose name is null.
extern const ParameterDescriptor kCtlParameters[];   // vorellctl, 44 rows
extern const ParameterDescriptor kCtl2Parameters[];  // vorellctl2, 46 rows
