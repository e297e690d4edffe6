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
    st->recorded = st->unrecorded = false;
    st->quiet_polls = 0;
    st->slept = st->unsignalled = false;
    st->slept_on = st->unsignalled_sequence = 0;
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
    const bool changed = finger_state_changed(cur, st->prev);
    if (cur.NewStruct == 1 && changed) {
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
            if ((f != 0) != (st->prev.NewStructFingers.f != 0)) {
                const uint32_t next = engine.ring.touches.load(std::memory_order_relaxed) + 1;
                engine.ring.touches.store(next != 0 ? next : 1);
            }
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

    st->recorded = recorded;
    st->unrecorded = changed && !recorded;
    if (st->prev.NewStructFingers.f == 0)
        return 5;
    return recorded ? 1 : 2;
}

namespace {

// Something another thread of the engine has still to do, or to hand back
// to the sampler, without a new sample.
bool engine_busy(const EngineShared &engine)
{
    if (engine.ring.unread.load() != 0 || engine.queue.entries_outstanding())
        return true;
    const ActionLatches &l = engine.latches;
    if (l.cover_gesture_latch.load() != 0 || l.swipe_latch.load() != 0)
        return true;
    for (std::atomic<int32_t> ActionLatches::*flag : kCursorShownFlags)
        if ((l.*flag).load() != 0)
            return true;
    const DragWords &d = engine.drag;
    return d.drag_active.load() != 0 || d.tap_state.load() != TapState::kIdle || d.tap_pending.load() != 0 ||
           d.tap_request.load() != 0 || engine.scroll.autoscroll_running.load() != 0;
}

}  // namespace

bool sampler_may_sleep(SamplerState *st, const EngineShared &engine, uint32_t sequence)
{
    if (st->slept && (st->recorded || st->unrecorded) && sequence == st->slept_on) {
        st->unsignalled = true;
        st->unsignalled_sequence = sequence;
    }
    st->slept = false;
    if (st->unsignalled && sequence != st->unsignalled_sequence)
        st->unsignalled = false;

    const bool quiet =
        !st->recorded && !st->unrecorded && st->prev.NewStructFingers.f == 0 && !engine_busy(engine);
    st->quiet_polls = quiet ? st->quiet_polls + 1 : 0;
    return !st->unsignalled && st->quiet_polls >= kQuietPollsBeforeSleep;
}

void sampler_sleeps(SamplerState *st, uint32_t sequence)
{
    st->slept = true;
    st->slept_on = sequence;
}
