// The sampler's thread, get_data_thread (declared with the other thread
// bodies in engine_state.h), and what it runs on in production.
#pragma once

#include "sampler.h"

// The production ports, which main hands to get_data_thread:
// the monotonic clock in seconds, a post of engine->ring.posted (the ports' ctx) and
// run_command_in_order.
SamplerPorts engine_sampler_ports(EngineShared *engine);

constexpr int kAttachAttempts = 50;

// Up to 50 attempts, 1 ms apart, each failure reported by the attach
// routine; nullptr when all failed. Another user's block counts as no
// attempt: it is waited out (attach_own_block), and *waited says so.
TouchpadSharedBlock *sampler_attach(bool *waited);

// get_data_thread's result when the block could not be attached.
extern int sampler_gave_up;
