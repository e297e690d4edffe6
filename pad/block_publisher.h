// The touchpad block as its publisher sees it: made with the shared
// defaults, or taken over from an earlier publisher that is gone, never
// written beside a live one, never one another user made or could write
// (removed and made anew when it may be); and one finger state written per
// report.
#pragma once

#include <sys/types.h>

#include <string>

#include "finger_state.h"
#include "touchpad_block.h"

enum class BlockClaim {
    kCreated,      // a new block with the default parameters
    kTakenOver,    // an orphaned block, its parameters kept
    kHeldByOther,  // another live program made it or publishes into it
    kForeign,      // another user's, or open to others, and not ours to remove
    kFailed,       // a system error, or a block of another size
};

struct BlockOwner {
    bool set = false;  // give the block to this user (when running as root)
    uid_t uid = 0;
    gid_t gid = 0;
};

// Claims the block. Taken over only when trusted (block_trust.h, with the
// served user) and closed to others; a stale block that is not, and that
// this user may remove, is removed and a new one made. message says what
// happened, for every outcome (for kCreated and kTakenOver a note;
// otherwise the reason, ready for standard error).
// *id (when given) is the claimed segment's.
BlockClaim claim_block(const BlockOwner &owner, TouchpadSharedBlock **block, std::string *message,
                       int *id = nullptr);

// Writes one finger state into NewStructFingers and the single contact:
// coordinates and buttons first, the finger count last, so a reader that
// sees the new count also sees the positions that go with it; then signals
// the report (report_signal.h) so that a sleeping engine wakes.
void publish_state(TouchpadSharedBlock *block, const FingerState &state);
