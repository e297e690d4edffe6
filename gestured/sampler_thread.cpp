// get_data_thread: attaches the block, then polls it for ever with the
// ports main hands over, following the block when the driver makes it anew.
#include "sampler_thread.h"

#include <pthread.h>
#include <unistd.h>

#include "block_watch.h"
#include "clock.h"
#include "command_queue.h"
#include "report_signal.h"

int sampler_gave_up;

namespace {

double monotonic_seconds(void *) { return static_cast<double>(monotonic_now_us()) / 1e6; }

void post_sample(void *ctx) { sem_post(&static_cast<EngineShared *>(ctx)->ring.posted); }

// The pointer's reset: after the image commands, in the order they were
// handed over, without holding up the polls.
void run_shell(void *, const char *cmd) { run_command_in_order(cmd); }

}  // namespace

SamplerPorts engine_sampler_ports(EngineShared *engine)
{
    return {monotonic_seconds, post_sample, run_shell, engine};
}

namespace {

// Longest sleep on the publisher's signal: the block's key, the publisher
// and the settings are looked at again at least this often while the pad is
// idle.
constexpr int kSignalledSleepMs = 2000;

void pause_between_looks(void *) { usleep(kBlockCheckPeriodMs * 1000); }

}  // namespace

TouchpadSharedBlock *sampler_attach(bool *waited)
{
    *waited = false;
    for (int attempt = 0; attempt < kAttachAttempts; ++attempt) {
        // Another user's block is no failed attempt: it is waited out.
        bool waited_now = false;
        TouchpadSharedBlock *block = attach_own_block("gestured", pause_between_looks, nullptr, &waited_now);
        *waited = *waited || waited_now;
        if (block)
            return block;
        if (attempt < kAttachAttempts - 1)
            usleep(1000);
    }
    return nullptr;
}

void *get_data_thread(void *arg)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    const SamplerPorts &ports = *args.sampler;
    // Named so that a test can watch this thread's polls from outside.
    pthread_setname_np(pthread_self(), "gestured-sample");
    bool waited = false;
    TouchpadSharedBlock *block = sampler_attach(&waited);
    if (!block)
        return &sampler_gave_up;
    static SamplerState state;
    static BlockWatch watch;
    block_watch_init(&watch);
    // The start-up commands were held back from another user's block.
    if (waited && args.hooks && args.hooks->block_replaced)
        args.hooks->block_replaced();
    sampler_start(&state, ports.now_s(ports.ctx), engine);
    bool woke = false;
    for (;;) {
        const uint32_t sequence = report_signal_sequence(block);
        const int pause_ms = sampler_poll(&state, block, engine, ports);
        // A driver restart: the new block now sits at the same address.
        // After a sleep the key is looked at at once: the sleep may have
        // lasted as long as the checks' period.
        const BlockCheck check =
            woke ? block_watch_check(&watch, block, "gestured") : block_watch_poll(&watch, block, "gestured");
        if (check == BlockCheck::kReplaced && args.hooks && args.hooks->block_replaced)
            args.hooks->block_replaced();
        woke = sampler_may_sleep(&state, engine, sequence) && check == BlockCheck::kUnchanged &&
               report_signal_live(block);
        if (woke) {
            sampler_sleeps(&state, sequence);
            report_signal_wait(block, sequence, kSignalledSleepMs);
        } else {
            usleep(pause_ms * 1000);
        }
    }
    return nullptr;
}
