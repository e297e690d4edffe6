// Commands whose effect no later step waits for (the pointer images and
// their reset) run on a thread of their own, one after another in the order
// they were handed over, each bounded like every command of the engine
// (run_command_bounded). The caller goes on at once, so that a scroll
// step's click is not held up by a program starting.
#pragma once

// Queues a copy of the line. When many are waiting (a hung command), the
// oldest waiting ones are dropped: the last one handed over still runs last.
void run_command_in_order(const char *command);
