// The clocks the programs read. Their logic takes the time
// as an argument; these are what the loops around it pass in.
#pragma once

#include <cstdint>

// Microseconds on CLOCK_MONOTONIC: for timing that a change of the time of
// day must not disturb.
int64_t monotonic_now_us();

// Milliseconds on CLOCK_MONOTONIC_COARSE: only as fine as the kernel's tick,
// but read without the hardware counter, for a once-a-second check made on
// every pass of a loop that polls every few milliseconds.
int64_t coarse_monotonic_now_ms();

// Milliseconds on CLOCK_MONOTONIC: the engine's clock for taps, drags,
// flicks and actions, which a step of the time of day must not stretch or
// cut short.
int64_t monotonic_now_ms();

// Seconds of the time of day (gettimeofday), to the microsecond: for times
// that are printed or compared with the user's idle time.
double wall_clock_now_seconds();
