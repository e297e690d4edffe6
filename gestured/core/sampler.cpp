// The sampler's poll: copies the shared block and appends one SampleRecord
// to the ring for each change of the finger state.
#include "sampler.h"

#include <stdio.h>
#include <string.h>

namespace {

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
