// What the tests read and reset in the bounded command runner; defined in
// gestured/command_runner.cpp, beside the runner's state.
#pragma once

#include "command_runner.h"

// Commands killed for running too long, since start or the last reset.
int run_command_kills();
// Back to the start: commands allowed, kill counts and reports cleared.
void run_commands_reset();
