// The block a running vorellpad publishes into, kept under the block's key:
// when someone removes it (ipcrm, a test, a tool), vorellpad makes a new one
// with the same settings, so the programs that follow the key find a block
// that is fed; when another trusted program made a new one, vorellpad
// publishes into that one. Either way the block stays at the same address.
#pragma once

#include <string>

#include "block_publisher.h"
#include "block_watch.h"
#include "replay.h"

struct PublishedBlock {
    TouchpadSharedBlock *block = nullptr;
    BlockOwner owner;
    BlockWatch watch;
    bool said_lost = false;  // a failure to make the block again was said
};

// claim_block for p->owner; on kCreated and kTakenOver p->block is the block
// and is followed from now on, its reports signalled (report_signal.h).
BlockClaim claim_published_block(PublishedBlock *p, std::string *message);

// Looks at the key at most once a second (monotonic clock): a removed block
// is made again with the block's present contents ("vorellpad: the touchpad
// block was removed; made it again with the same settings"); a new trusted
// block closed to others is published into instead (BlockWatch's words).
// What goes wrong is said once until it is mended.
void keep_published_block(PublishedBlock *p);

// keep_published_block, then one finger state (publish_state).
void publish(PublishedBlock *p, const FingerState &state);

// The replay's platform: the monotonic clock, clock_nanosleep in slices of at
// most a second with keep_published_block between them, and publish.
ReplayPlatform published_replay_platform(PublishedBlock *p);
