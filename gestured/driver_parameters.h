// The driver parameters that the engine changes through the parameter
// client (TapButton1-3 at start-up and around drags, DragHoldButton and
// DragTimeoutRelease for the drag lock), and putting them back when the
// engine is ended by a signal.
#pragma once

// Reads the five parameters from the block as they stand (silently: without
// a block there is nothing to put back). Called once before the start-up
// commands.
void driver_parameters_remember();

// Notes which of the five a command line sets ("vorellctl NAME=VALUE"). The
// production command runner of the engine's platform notes every command.
void driver_parameters_note_command(const char *command);

// For each parameter that a command has set since it was remembered, runs
// "vorellctl NAME=VALUE" with the remembered value (as a final command, so
// also after run_commands_end_in_flight).
void driver_parameters_restore();

// Forgets everything (tests).
void driver_parameters_reset();
