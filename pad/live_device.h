// The thin device layer: finding the touchpad through udev, reading it with
// libevdev (its sync mode repairs SYN_DROPPED), following removal and
// re-plugging, and the X driver's properties while it runs.
#pragma once

#include <atomic>

#include "options.h"
#include "published_block.h"

// Finds and opens the touchpad, then claims the block (through claim, which
// returns the block or nullptr with its exit status in *status) and
// publishes into it, keeping it under the key, until stop is set. Returns
// an exit status.
using ClaimBlock = PublishedBlock *(*)(int *status);
int run_live(const PadOptions &options, ClaimBlock claim, const std::atomic<bool> &stop);
// Writes the touchpad's events to options.record until stop is set.
int run_record(const PadOptions &options, const std::atomic<bool> &stop);
