// The driver parameters that the engine changes through the parameter
// client (TapButton1-3 at start-up and around drags, DragHoldButton and
// DragTimeoutRelease for the drag lock), and putting them back when the
// engine ends, or, after it was killed, in the release step.
//
// While the engine runs, the values it found (the user's) are kept in a
// state file beside its single-instance lock (saved_parameters.h); a clean
// end removes it. A file left by an engine that died still holds the user's
// values: the release step puts them back, and the next start takes them as
// the user's instead of the drag-time values the block still holds.
#pragma once

#include <string>

// The state file's name beside the engine's lock (instance_lock_sibling).
constexpr char kParameterFileSuffix[] = ".parameters";

// Where the state file goes: set once by main, after it took the lock and
// before the first driver_parameters_remember. Without it nothing is kept.
void driver_parameters_keep_in(const std::string &path);

// Reads the five parameters from the block as they stand (silently: without
// a block there is nothing to put back), and writes them to the state file.
// Called before the start-up commands and again after a driver restart. A
// value the engine itself set by command is never taken as the user's: a
// state file of a dead engine for the same block is believed instead, and a
// new block that holds the engine's own last value keeps the value
// remembered before.
void driver_parameters_remember();

// Notes which of the five a command line sets ("vorellctl NAME=VALUE") and
// to what. The production command runner of the engine's platform notes
// every command.
void driver_parameters_note_command(const char *command);

// For each parameter that differs from the user's, runs
// "vorellctl NAME=VALUE" with the user's value (as a final command, so also
// after run_commands_end_in_flight); then removes the state file.
void driver_parameters_restore();

// The release step, while no engine runs on the server: puts back every
// value of the state file at path that the block no longer holds (when the
// file is of this same block), then removes the file.
void driver_parameters_put_back_saved(const std::string &path);

// Forgets everything (tests).
void driver_parameters_reset();
