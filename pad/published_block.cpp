#include "published_block.h"

#include <time.h>

#include "clock.h"

namespace {

int64_t now_us(void *) { return monotonic_now_us(); }

void sleep_until_us(void *, int64_t until_us)
{
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(until_us / 1000000);
    ts.tv_nsec = static_cast<long>(until_us % 1000000) * 1000;
    // A signal ends the sleep early; the caller looks at its stop flag.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

void publish_report(void *ctx, const FingerState &state) { publish(static_cast<PublishedBlock *>(ctx), state); }

}  // namespace

BlockClaim claim_published_block(PublishedBlock *p, std::string *message)
{
    return claim_block(p->owner, &p->block, message);
}

void publish(PublishedBlock *p, const FingerState &state) { publish_state(p->block, state); }

ReplayPlatform published_replay_platform(PublishedBlock *p) { return {now_us, sleep_until_us, publish_report, p}; }
