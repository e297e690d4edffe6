// The sampler: copies the shared block at every poll and appends one
// SampleRecord to the ring for each change of the finger state.
#include "sampler.h"

#include "block_watch.h"
#include "clock.h"
#include "command_runner.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int sampler_gave_up;

namespace {

double wall_seconds(void *) { return wall_clock_now_seconds(); }

void post_sample(void *ctx) { sem_post(&static_cast<EngineShared *>(ctx)->ring.posted); }

void run_shell(void *, const char *cmd)
{
    run_command_bounded(cmd);  // the tool's result changes nothing here
}

template <typename T>
void refresh(std::atomic<T> &member, T value)
{
    member.store(value, std::memory_order_relaxed);
}

void refresh_snapshot(SettingsSnapshot *s, const TouchpadSharedBlock &b)
{
#define REFRESH(name, kind, offset, fresh) refresh(s->name, b.name);
    TOUCHPAD_BLOCK_FIELDS(BLOCK_ROW_SKIPPED, REFRESH, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef REFRESH
}

FingerState sampled_state(const TouchpadSharedBlock &b)
{
    return read_finger_state(b, &TouchpadSharedBlock::NewStructFingers);
}

// The finger state as far as the engine cares: every word but z.
bool finger_state_changed(const TouchpadSharedBlock &a, const TouchpadSharedBlock &b)
{
    FingerState now = sampled_state(a);
    const FingerState before = sampled_state(b);
    now.z = before.z;
    return now != before;
}

}  // namespace

SampleRecord sample_record_of(const FingerState &state)
{
    const FingerState shown = shown_finger_state(state);
    SampleRecord rec{};
#define COPY(name, ...) rec.name = shown.name;
    FINGER_STATE_FIELDS(COPY, COPY, COPY, BLOCK_ROW_SKIPPED)
#undef COPY
    return rec;
}

SamplerPorts engine_sampler_ports(EngineShared *engine)
{
    return {wall_seconds, post_sample, run_shell, engine};
}

TouchpadSharedBlock *sampler_attach()
{
    for (int attempt = 0; attempt < kAttachAttempts; ++attempt) {
        TouchpadSharedBlock *block = attach_shared_block();
        if (block)
            return block;
        if (attempt < kAttachAttempts - 1)
            usleep(1000);
    }
    return nullptr;
}

void sampler_start(SamplerState *st, double now_s, EngineShared &engine)
{
    st->origin = now_s;
    memset(&st->prev, 0, sizeof st->prev);
    st->prev.x = -1;
    engine.ring.head.store(0);
}

int sampler_poll(SamplerState *st, const TouchpadSharedBlock *live, EngineShared &engine,
                 const SamplerPorts &ports)
{
    SettingsSnapshot *snap = &engine.settings;
    TouchpadSharedBlock &cur = st->current;
    memcpy(&cur, live, sizeof cur);
    refresh_snapshot(snap, cur);

    const int32_t f = cur.NewStructFingers.f;
    if (f == 0) {
        ActionLatches &latches = engine.latches;
        if (latches.cover_gesture_latch.load(std::memory_order_relaxed) == 1)
            latches.cover_gesture_latch.store(0);
        if (latches.swipe_latch.load(std::memory_order_relaxed) == 1)
            latches.swipe_latch.store(0);
    }

    bool recorded = false;
    if (cur.NewStruct == 1 && finger_state_changed(cur, st->prev)) {
        if (engine.ring.unread.load() < kSampleRingSize) {
            // (When the reader is a whole ring behind, the change is left for
            // a later poll rather than overwriting an unread record: the
            // block is a level, so only latency is lost.)
            int32_t head = engine.ring.head.load(std::memory_order_relaxed);
            if (head >= kSampleRingSize)
                head = 0;
            SampleRecord *rec = &engine.ring.entries[head];
            *rec = sample_record_of(sampled_state(cur));
            double now = ports.now_s(ports.ctx);
            engine.ring.head.store(head + 1, std::memory_order_relaxed);
            rec->time = static_cast<float>(now - st->origin);
            engine.ring.unread.fetch_add(1);
            ports.post_sample(ports.ctx);
            memcpy(&st->prev, &cur, sizeof cur);
            fflush(stdout);
            recorded = true;
        }
    }

    if (f != 2) {
        bool shown = false;
        for (std::atomic<int32_t> ActionLatches::*flag : kCursorShownFlags)
            shown |= (engine.latches.*flag).load(std::memory_order_relaxed) != 0;
        if (shown) {
            for (std::atomic<int32_t> ActionLatches::*flag : kCursorShownFlags)
                (engine.latches.*flag).store(0);
            ports.run_command(ports.ctx, "/usr/bin/xsetroot -cursor_name left_ptr");
        }
    }

    if (st->prev.NewStructFingers.f == 0)
        return 5;
    return recorded ? 1 : 2;
}

void *get_data_thread(void *arg)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    const SamplerPorts &ports = *args.sampler;
    // Named so that a test can watch this thread's polls from outside.
    pthread_setname_np(pthread_self(), "gestured-sample");
    TouchpadSharedBlock *block = sampler_attach();
    if (!block)
        return &sampler_gave_up;
    static SamplerState state;
    static BlockWatch watch;
    block_watch_init(&watch);
    sampler_start(&state, ports.now_s(ports.ctx), engine);
    for (;;) {
        int pause_ms = sampler_poll(&state, block, engine, ports);
        // A driver restart: the new block now sits at the same address.
        if (block_watch_poll(&watch, block, "gestured") == BlockCheck::Replaced && args.hooks &&
            args.hooks->block_replaced)
            args.hooks->block_replaced();
        usleep(pause_ms * 1000);
    }
    return nullptr;
}
