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
void (*sampler_block_replaced)() = nullptr;

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

// The finger state as far as the engine cares: every field but z.
bool finger_state_changed(const TouchpadSharedBlock &a, const TouchpadSharedBlock &b)
{
    const FingerRecord &p = a.NewStructFingers;
    const FingerRecord &q = b.NewStructFingers;
    if (a.x != b.x || a.y != b.y || a.w != b.w)
        return true;
    if (p.x2_1 != q.x2_1 || p.y2_1 != q.y2_1 || p.x2_2 != q.x2_2 || p.y2_2 != q.y2_2 || p.x3_1 != q.x3_1 ||
        p.y3_1 != q.y3_1)
        return true;
    if (p.f != q.f || p.l != q.l || p.r != q.r || p.u != q.u || p.d != q.d || p.m != q.m)
        return true;
    return memcmp(p.multi, q.multi, sizeof p.multi) != 0;
}

void fill_record(SampleRecord *rec, const TouchpadSharedBlock &b)
{
    const FingerRecord &fr = b.NewStructFingers;
    const int32_t f = fr.f;
    rec->x = f == 1 ? b.x : 0;
    rec->y = f == 1 ? b.y : 0;
    rec->z = b.z;
    rec->w = b.w;
    rec->x2_1 = f == 2 ? fr.x2_1 : 0;
    rec->y2_1 = f == 2 ? fr.y2_1 : 0;
    rec->x2_2 = f == 2 ? fr.x2_2 : 0;
    rec->y2_2 = f == 2 ? fr.y2_2 : 0;
    rec->x3_1 = f == 3 ? fr.x3_1 : 0;
    rec->y3_1 = f == 3 ? fr.y3_1 : 0;
    rec->f = f;
    rec->l = fr.l;
    rec->r = fr.r;
    rec->u = fr.u;
    rec->d = fr.d;
    rec->m = fr.m;
}

}  // namespace

SamplerPorts engine_sampler_ports(EngineShared *engine)
{
    return {wall_seconds, post_sample, run_shell, engine};
}

namespace {

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
            fill_record(rec, cur);
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
    EngineShared &engine = *static_cast<const EngineThreadArgs *>(arg)->shared;
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
    if (waited && sampler_block_replaced)
        sampler_block_replaced();
    const SamplerPorts ports = engine_sampler_ports(&engine);
    sampler_start(&state, ports.now_s(ports.ctx), engine);
    for (;;) {
        int pause_ms = sampler_poll(&state, block, engine, ports);
        // A driver restart: the new block now sits at the same address.
        if (block_watch_poll(&watch, block, "gestured") == BlockCheck::Replaced && sampler_block_replaced)
            sampler_block_replaced();
        usleep(pause_ms * 1000);
    }
    return nullptr;
}
