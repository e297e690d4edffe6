#include "published_block.h"

#include <sys/shm.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "clock.h"
#include "report_signal.h"

namespace {

constexpr const char kProgram[] = "vorellpad";

// The block is gone from under the key: a new one, filled with what the old
// one holds, mapped where the old one was.
void make_block_again(PublishedBlock *p)
{
    TouchpadSharedBlock *fresh = nullptr;
    std::string message;
    int id = -1;
    const BlockClaim c = claim_block(p->owner, &fresh, &message, &id);
    if (c != BlockClaim::kCreated && c != BlockClaim::kTakenOver) {
        if (!p->said_lost)
            fputs(message.c_str(), stderr);
        p->said_lost = true;
        return;
    }
    if (c == BlockClaim::kCreated) {
        memcpy(static_cast<void *>(fresh), p->block, sizeof *fresh);
        message = "vorellpad: the touchpad block was removed; made it again with the same settings\n";
    }
    shmdt(fresh);
    if (!block_watch_adopt(&p->watch, p->block, id)) {
        if (!p->said_lost)
            fprintf(stderr, "vorellpad: cannot attach the new touchpad block: %s\n", strerror(errno));
        p->said_lost = true;
        return;
    }
    fputs(message.c_str(), stderr);
    p->said_lost = false;
}

int64_t now_us(void *) { return monotonic_now_us(); }

void sleep_until_us(void *ctx, int64_t until_us)
{
    auto *p = static_cast<PublishedBlock *>(ctx);
    const int64_t slice_end = monotonic_now_us() + kBlockCheckPeriodMs * int64_t{1000};
    const int64_t wake = until_us < slice_end ? until_us : slice_end;
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(wake / 1000000);
    ts.tv_nsec = static_cast<long>(wake % 1000000) * 1000;
    // A signal ends the sleep early; the caller looks at its stop flag.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    keep_published_block(p);
}

void publish_report(void *ctx, const FingerState &state)
{
    publish(static_cast<PublishedBlock *>(ctx), state);
}

}  // namespace

BlockClaim claim_published_block(PublishedBlock *p, std::string *message)
{
    int id = -1;
    const BlockClaim c = claim_block(p->owner, &p->block, message, &id);
    if (c == BlockClaim::kCreated || c == BlockClaim::kTakenOver) {
        block_watch_init(&p->watch);
        p->watch.id = id;
        p->watch.served = p->owner.set ? p->owner.uid : kNoServedUser;
        p->watch.publisher = true;
        // Every report is signalled: the engine may sleep while the pad rests.
        report_signal_start(p->block);
    }
    return c;
}

void keep_published_block(PublishedBlock *p)
{
    const BlockCheck c = block_watch_poll(&p->watch, p->block, kProgram);
    if (c == BlockCheck::kGone)
        make_block_again(p);
    // A block made anew or taken over is signalled as well.
    if (c != BlockCheck::kUnchanged)
        report_signal_start(p->block);
}

void publish(PublishedBlock *p, const FingerState &state)
{
    keep_published_block(p);
    publish_state(p->block, state);
}

ReplayPlatform published_replay_platform(PublishedBlock *p)
{
    return {now_us, sleep_until_us, publish_report, p};
}
