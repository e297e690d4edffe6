// The report signal: how a publisher of the finger state tells the block's
// readers of each new report, so that a reader with nothing to do can sleep
// instead of polling the block.
//
// Two of the block's reserved words, which the touchpad driver leaves alone,
// carry it (block_field_list.h names them):
//   report_sequence   counted up after every report the publisher writes;
//                     readers sleep on it (a futex word)
//   report_publisher  the publisher's process id while it signals, else 0
// A publisher that does not signal (the touchpad driver; tpsim without
// --signal) leaves both at 0, and the readers poll as always. A publisher
// that dies without taking its word back leaves a process id that no longer
// runs, which the readers take for no publisher at all.
#pragma once

#include <cstdint>

#include "touchpad_block.h"

// Publisher side: report_signal_start once the block is its to write,
// report_signal_post after every report written (the finger count last),
// report_signal_stop when it stops writing (also wakes the readers, so they
// poll again at once).
void report_signal_start(TouchpadSharedBlock *block);
void report_signal_post(TouchpadSharedBlock *block);
void report_signal_stop(TouchpadSharedBlock *block);

// Reader side. The sequence is read before the block is copied, and the
// wait given that value: a report written after the copy ends the wait at
// once.
uint32_t report_signal_sequence(const TouchpadSharedBlock *block);

// A publisher that signals is there: its word is set and its process runs.
bool report_signal_live(const TouchpadSharedBlock *block);

// Sleeps until the sequence is no longer `seen` or timeout_ms has passed
// (or a signal interrupts). True when the sequence moved.
bool report_signal_wait(const TouchpadSharedBlock *block, uint32_t seen, int timeout_ms);
