// The parameter tables of the two client builds: vorellctl carries the
// driver-tuning table, vorellctl2 the settings-panel table. Each row names a
// block field, whose offset and type come from the block's field list, and
// gives the range that assignments are clamped to. The rows keep the order in
// which the clients list them.
#pragma once

#include "parameter_descriptor.h"

// Both tables end with a row whose name is null.
extern const ParameterDescriptor kCtlParameters[];   // vorellctl
extern const ParameterDescriptor kCtl2Parameters[];  // vorellctl2
