// Monitor mode: watches the live finger state and prints a line per change.
#pragma once

#include <cstdint>
#include <cstdio>

#include "touchpad_block.h"

struct MonitorState {
    double start_time;             // seconds of the time of day at start
    TouchpadSharedBlock previous;  // the state of the last printed line
    int header_countdown;          // lines until the next column header
    bool use_new_record;           // vorellctl2 shows NewStructFingers
};

void monitor_init(MonitorState *st, bool use_new_record, double now);

// One cycle on a fresh copy of the block taken at time now (seconds of the
// time of day). Prints nothing unless a watched field changed and the
// block's NewStruct selects this build's record. Returns true when it printed.
bool monitor_cycle(MonitorState *st, const TouchpadSharedBlock &current, double now, FILE *out);

// Runs monitor mode for ever, polling every interval_ms milliseconds.
[[noreturn]] void run_monitor(const TouchpadSharedBlock *block, long interval_ms, bool use_new_record);
