// The block a running vorellpad publishes into.
#pragma once

#include <string>

#include "block_publisher.h"
#include "replay.h"

struct PublishedBlock {
    TouchpadSharedBlock *block = nullptr;
    BlockOwner owner;
};

// claim_block for p->owner; on kCreated and kTakenOver p->block is the block.
BlockClaim claim_published_block(PublishedBlock *p, std::string *message);

// One finger state (publish_state).
void publish(PublishedBlock *p, const FingerState &state);

// The replay's platform: the monotonic clock, clock_nanosleep and publish.
ReplayPlatform published_replay_platform(PublishedBlock *p);
