// Every shell command the engine runs goes through here: /bin/sh -c with the
// line as given, in a process group of its own, waited for at most
// kCommandBoundMs. A command still running then is killed with its whole
// process group and the caller goes on; the first kill of each program is
// reported on standard error, later ones are only counted.
//
// The commands in flight are known, so that the engine's signal path can
// end them (run_commands_end_in_flight) before it lets go of held input:
// nothing a half-started xte does can land after the release.
#pragma once

constexpr int kCommandBoundMs = 1500;

// Runs one command line and waits for it (a line ending in '&' returns as
// soon as the shell has started its background job). Does nothing once
// run_commands_end_in_flight has been called.
void run_command_bounded(const char *command);

// The same, also after run_commands_end_in_flight: for the signal path's own
// clean-up commands.
void run_command_final(const char *command);

// Refuses every later command (but the final ones), kills the process group
// of every command in flight and waits until their runners have reaped them
// (at most about a second).
void run_commands_end_in_flight();
