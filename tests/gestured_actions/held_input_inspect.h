// What the tests look at and reset in the record of held input. The two
// queries are defined in gestured/actions/held_input.cpp, beside the record.
#pragma once

#include "held_input.h"

bool held_key_is_down(const char *keysym_name);
bool held_button_is_down(int button);

// Forgets everything without sending anything.
inline void held_input_clear() { release_held_inputs(nullptr); }
