// get_data_thread's work: attaching the block, and one poll of it (copy,
// settings snapshot, latch release, change test, sample record, pointer
// reset, next pause). The poll takes the live block and its clock and
// command runner as arguments so that tests can drive it against a block
// of their own.
#pragma once

#include "engine_state.h"
#include "touchpad_block.h"

struct SamplerPorts {
    double (*now_s)(void *ctx);                       // wall-clock seconds
    void (*post_sample)(void *ctx);                   // one new record in the ring
    void (*run_command)(void *ctx, const char *cmd);  // through the shell, waited for (bounded)
    void *ctx;
};

// The production ports: wall_clock_now_seconds, a post of engine->ring.posted
// (the ports' ctx) and run_command_bounded.
SamplerPorts engine_sampler_ports(EngineShared *engine);

struct SamplerState {
    TouchpadSharedBlock current;  // this poll's copy
    TouchpadSharedBlock prev;     // the block as it stood at the last record
    double origin;                // sample_clock_origin
};

constexpr int kAttachAttempts = 50;

// Up to 50 attempts, 1 ms apart, each failure reported by the attach
// routine; nullptr when all failed. Another user's block counts as no
// attempt: it is waited out (attach_own_block), and *waited says so.
TouchpadSharedBlock *sampler_attach(bool *waited);

// Start of sampling: the clock origin, a previous copy of zeros with x -1,
// and the write index of engine's ring at 0.
void sampler_start(SamplerState *st, double now_s, EngineShared &engine);

// One poll of the live block into engine's settings snapshot, latches and
// sample ring. Returns the pause before the next poll in milliseconds (5 with
// no finger recorded, else 1 after a record, else 2).
int sampler_poll(SamplerState *st, const TouchpadSharedBlock *live, EngineShared &engine,
                 const SamplerPorts &ports);

// get_data_thread's result when the block could not be attached.
extern int sampler_gave_up;

// Called by get_data_thread after the driver created the block anew and the
// new one was mapped in place of the old, and after a wait for a block of
// the user's own (main runs the start-up commands again). Set before the
// threads start.
extern void (*sampler_block_replaced)();
