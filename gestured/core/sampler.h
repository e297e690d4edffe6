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
    bool recorded;                // the last poll made a record
    bool unrecorded;              // the last poll found a change it could not record

    // Sleeping on the publisher's signal (sampler_may_sleep).
    int quiet_polls;                // polls in a row with nothing to sample or carry out
    bool slept;                     // the last poll came after such a sleep
    uint32_t slept_on;              // the report sequence slept on
    bool unsignalled;               // a change came with no signal: poll until the sequence moves
    uint32_t unsignalled_sequence;  // the sequence then
};

// Quiet polls (of 5 ms) before the sampler may sleep: the tail of a gesture
// (the last actions, a tap handed to the drag logic, an auto-scroll start)
// settles well within them.
constexpr int kQuietPollsBeforeSleep = 20;

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

// After a poll: whether the sampler may sleep until the publisher signals
// its next report (report_signal.h) instead of pausing, if a publisher that
// signals is there. sequence is the report sequence read before the poll's
// copy. It may when no finger was down at the last record, the poll left no
// change unrecorded and nothing is under way in the engine (unread samples,
// actions not carried out, latches or pointer shapes to clear, a tap or drag
// with the drag logic, an auto-scroll), for kQuietPollsBeforeSleep polls in
// a row. A change found after a sleep that the sequence did not announce is
// a writer that does not signal: then the sampler polls until the sequence
// moves again.
bool sampler_may_sleep(SamplerState *st, const EngineShared &engine, uint32_t sequence);

// The sampler sleeps on sequence (after sampler_may_sleep said it may).
void sampler_sleeps(SamplerState *st, uint32_t sequence);
