// get_data_thread's work, one poll of the block (copy, settings snapshot,
// latch release, change test, sample record, pointer reset, next pause). The
// poll takes the live block and its clock and command runner as arguments so
// that tests can drive it against a block of their own.
#pragma once

#include "engine_state.h"
#include "finger_state.h"
#include "touchpad_block.h"

struct SamplerPorts {
    double (*now_s)(void *ctx);                       // monotonic seconds
    void (*post_sample)(void *ctx);                   // one new record in the ring
    void (*run_command)(void *ctx, const char *cmd);  // through the shell, waited for (bounded)
    void *ctx;
};

struct SamplerState {
    TouchpadSharedBlock current;  // this poll's copy
    TouchpadSharedBlock prev;     // the block as it stood at the last record
    double origin;                // sample_clock_origin
};

// The sample record of one finger state: every word but the multi buttons,
// each position only while its finger count is down; time 0.
SampleRecord sample_record_of(const FingerState &state);

// Start of sampling: the clock origin, a previous copy of zeros with x -1,
// and the write index of engine's ring at 0.
void sampler_start(SamplerState *st, double now_s, EngineShared &engine);

// One poll of the live block into engine's settings snapshot, latches and
// sample ring. Returns the pause before the next poll in milliseconds (5 with
// no finger recorded, else 1 after a record, else 2).
int sampler_poll(SamplerState *st, const TouchpadSharedBlock *live, EngineShared &engine,
                 const SamplerPorts &ports);
