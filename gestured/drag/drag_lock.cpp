#include "drag_lock.h"

#include <semaphore.h>

#include "engine_state.h"
#include "platform.h"

const char kDragHoldOnCommand[] = "vorellctl DragHoldButton=1";
const char kDragHoldOffCommand[] = "vorellctl DragHoldButton=0";
const char kDragTimeoutOffCommand[] = "vorellctl DragTimeoutRelease=0";
const char kDragTimeoutOnCommand[] = "vorellctl DragTimeoutRelease=1";

namespace {

constexpr int32_t kQuickTapMs = 250;  // a second tap this soon is a double click
constexpr int64_t kSettleMs = 200;    // wait for a re-touch before resolving a tap
constexpr int kSettlePollMs = 1;
constexpr int kRetouchPollMs = 10;

DragRule choose_in_drag(const DragView &v)
{
    if (v.drag_tap_again == 1 && v.TapAgainRadioButton == 1 && v.DragCheckBox == 1 &&
        v.drag_fingers_up == 0 && v.drag_elapsed_ms > kQuickTapMs && v.tap_state == TapState::kRetouched)
        return DragRule::kTapAgainEnds;
    if (v.retouch_near_tap == 0 && v.drag_lift_event == 1 && v.TapReleaseRadioButton == 1 &&
        v.DragCheckBox == 1 && v.drag_fingers_up == 1 && v.drag_elapsed_ms > kQuickTapMs)
        return DragRule::kLiftWait;
    if (v.retouch_near_tap == 0 && v.LiftReleaseRadioButton == 1 && v.drag_fingers_up == 1 &&
        v.tap_state == TapState::kHandedOver)
        return DragRule::kLiftEnds;
    return DragRule::kNone;
}

void clear_word(std::atomic<int32_t> &w) { w.store(0); }
void clear_word(std::atomic<TapState> &w) { w.store(TapState::kIdle); }
// Each word back to its rest value, in the order given.
template <typename... Words>
void clear(Words &...words)
{
    (clear_word(words), ...);
}

// The driver was told not to end drags on its own timeout (a drag begun
// with the tap-release style). Every way out of a drag gives that back, not only the
// end of the re-touch wait: otherwise a drag ended by a quick second tap, or
// one whose release style was changed meanwhile, would leave
// drag_timeout_off at 1 and every later plain tap would be swallowed.
void give_back_driver_timeout(const EnginePlatform &platform, EngineShared &engine)
{
    if (engine.drag.drag_timeout_off.load() != 1)
        return;
    engine.drag.drag_timeout_off.store(0);
    platform.run(kDragTimeoutOnCommand);
}

// A second tap, quick or late: the taps and any drag are forgotten.
void reset_taps_and_drag(const EnginePlatform &platform, EngineShared &engine)
{
    give_back_driver_timeout(platform, engine);
    platform.run(kDragHoldOffCommand);
    clear(engine.drag.tap_state, engine.drag.retouch_seen, engine.drag.tap_pending, engine.drag.tap_request,
          engine.drag.drag_fingers_up, engine.drag.drag_active, engine.drag.drag_lift_event);
}

// The drag whose start time is taken, and the clock it is read from.
struct DragStart {
    DragLock *drag;
    const EnginePlatform *platform;
};

void take_drag_start(void *ctx)
{
    const DragStart *start = static_cast<const DragStart *>(ctx);
    start->drag->drag_start_ms = start->platform->now();
}

// A lift the recogniser could not report as the drag's own because the drag
// was not yet in force when it came (the finger left while the press was
// being queued): reported here, as the recogniser would have, so that the
// lift still ends the drag instead of leaving button 1 held.
void report_early_lift(EngineShared &engine, const DragView &v)
{
    const bool releases_on_lift = v.LiftReleaseRadioButton == 1 || v.TapReleaseRadioButton == 1;
    if (v.DragCheckBox == 1 && !releases_on_lift)
        return;
    engine.drag.drag_fingers_up.store(1);
    engine.drag.drag_lift_event.store(1);
    sem_post(&engine.drag.events);
}

void begin_drag(const EnginePlatform &platform, EngineShared &engine, DragLock *d, const DragView &v)
{
    // The drag is in force before the driver commands run: a finger that
    // lifts while they run (a slow vorellctl) is then the drag's lift, seen
    // by the recogniser, and ends it at the next wake-up.
    engine.drag.drag_active.store(1);
    DragStart start{d, &platform};
    if (v.DragCheckBox == 1) {
        // The start time is taken once the press is written, before it is
        // posted to the action thread.
        engine.queue.enqueue_with(Gesture::kDragPress, 0, take_drag_start, &start);
    } else {
        take_drag_start(&start);
    }
    engine.drag.tap_state.store(TapState::kHandedOver);
    clear(engine.drag.tap_pending, engine.drag.tap_request, engine.drag.retouch_near_tap,
          engine.drag.drag_tap_again);
    // The recogniser stores the finger count before it looks at
    // drag_active; this thread stores drag_active before it looks at the
    // count: one of the two sees the lift.
    if (engine.drag.drag_finger_count.load() == 0)
        report_early_lift(engine, v);
    if (v.DragCheckBox == 1) {
        if (v.TapReleaseRadioButton == 1) {
            platform.run(kDragTimeoutOffCommand);
            engine.drag.drag_timeout_off.store(1);
        }
        platform.run(kDragHoldOnCommand);
    }
}

void end_drag_by_tap_again(const EnginePlatform &platform, EngineShared &engine)
{
    give_back_driver_timeout(platform, engine);
    engine.queue.enqueue(Gesture::kDragRelease, 0);
    platform.run(kDragHoldOffCommand);
    clear(engine.drag.drag_active, engine.drag.tap_pending, engine.drag.tap_state, engine.drag.drag_tap_again,
          engine.drag.retouch_seen);
}

void end_drag_by_lift(const EnginePlatform &platform, EngineShared &engine, const DragView &v)
{
    give_back_driver_timeout(platform, engine);
    if (v.DragCheckBox == 1)
        engine.queue.enqueue(Gesture::kDragRelease, 0);
    platform.run(kDragHoldOffCommand);
    clear(engine.drag.drag_active, engine.drag.tap_state, engine.drag.retouch_seen, engine.drag.tap_pending,
          engine.drag.drag_fingers_up, engine.drag.drag_lift_event);
}

void release_after_retouch_wait(const EnginePlatform &platform, EngineShared &engine)
{
    engine.drag.drag_timeout_off.store(0);
    platform.run(kDragTimeoutOnCommand);
    engine.queue.enqueue(Gesture::kDragRelease, 0);
    platform.run(kDragHoldOffCommand);
    clear(engine.drag.drag_active, engine.drag.tap_pending, engine.drag.tap_state,
          engine.drag.drag_lift_event, engine.drag.retouch_near_tap, engine.drag.retouch_seen,
          engine.drag.drag_fingers_up);
}

// Gives a touch near the tap up to 200 ms to arrive before the tap is
// resolved.
void settle(const EnginePlatform &platform, EngineShared &engine)
{
    const int64_t start = platform.now();
    while (platform.now() - start < kSettleMs && engine.drag.retouch_near_tap.load() != 1 &&
           engine.drag.tap_state.load() != TapState::kRetouched)
        platform.sleep(kSettlePollMs);
}

DragView read_view(EngineShared &engine, const DragLock *d)
{
    DragView v;
    v.retouch_near_tap = engine.drag.retouch_near_tap.load();
    v.drag_active = engine.drag.drag_active.load();
    v.tap_state = engine.drag.tap_state.load();
    v.tap_request = engine.drag.tap_request.load();
    v.drag_fingers_up = engine.drag.drag_fingers_up.load();
    v.drag_lift_event = engine.drag.drag_lift_event.load();
    v.drag_tap_again = engine.drag.drag_tap_again.load();
    v.DragCheckBox = engine.settings.DragCheckBox.load();
    v.LiftReleaseRadioButton = engine.settings.LiftReleaseRadioButton.load();
    v.TapAgainRadioButton = engine.settings.TapAgainRadioButton.load();
    v.TapReleaseRadioButton = engine.settings.TapReleaseRadioButton.load();
    v.drag_elapsed_ms = d->drag_elapsed_ms;
    return v;
}

}  // namespace

DragRule choose_drag_rule(const DragView &v)
{
    if (v.retouch_near_tap == 1 && v.drag_active == 0 && v.drag_fingers_up == 0 && v.tap_request == 1 &&
        v.tap_state == TapState::kHandedOver)
        return DragRule::kBegin;
    if (v.drag_active == 1) {
        DragRule r = choose_in_drag(v);
        if (r != DragRule::kNone)
            return r;
    }
    if (v.tap_state == TapState::kRetouched && v.drag_elapsed_ms <= kQuickTapMs)
        return DragRule::kQuickSecondTap;
    if (v.tap_state == TapState::kHandedOver && v.tap_request == 1)
        return DragRule::kPlainTap;
    if (v.tap_state == TapState::kRetouched && v.drag_elapsed_ms > kQuickTapMs)
        return DragRule::kLateSecondTap;
    return DragRule::kNone;
}

void drag_lock_start(EngineShared &engine, DragLock *d)
{
    d->drag_start_ms = 0;
    d->drag_elapsed_ms = kNoDragYetMs;
    engine.drag.drag_timeout_off.store(0);
}

RetouchOutcome drag_wait_for_retouch(const EnginePlatform &platform, EngineShared &engine)
{
    const int64_t start = platform.now();
    for (;;) {
        const double e = static_cast<double>(platform.now() - start);
        if (!(e < 1000.0 * engine.settings.DragSlider.load()) || engine.drag.drag_finger_count.load() == 1)
            break;
        if (engine.drag.tap_state.load() == TapState::kRetouched)
            return RetouchOutcome::kTapped;
        platform.sleep(kRetouchPollMs);
    }
    if (engine.drag.tap_state.load() == TapState::kRetouched)
        return RetouchOutcome::kTapped;
    if (engine.drag.drag_finger_count.load() == 1)
        return RetouchOutcome::kFingerBack;
    return RetouchOutcome::kTimedOut;
}

DragRule drag_lock_wake(const EnginePlatform &platform, EngineShared &engine, DragLock *d)
{
    if (engine.drag.drag_active.load() == 0)
        settle(platform, engine);
    if (engine.drag.drag_active.load() == 1) {
        const int64_t ms = platform.now() - d->drag_start_ms;
        d->drag_elapsed_ms = ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
    }
    const DragView v = read_view(engine, d);
    const DragRule rule = choose_drag_rule(v);
    switch (rule) {
    case DragRule::kBegin: begin_drag(platform, engine, d, v); break;
    case DragRule::kTapAgainEnds: end_drag_by_tap_again(platform, engine); break;
    case DragRule::kLiftWait:
        if (drag_wait_for_retouch(platform, engine) != RetouchOutcome::kFingerBack)
            release_after_retouch_wait(platform, engine);
        break;
    case DragRule::kLiftEnds: end_drag_by_lift(platform, engine, v); break;
    case DragRule::kQuickSecondTap:
        give_back_driver_timeout(platform, engine);
        if (v.DragCheckBox != 1)
            engine.queue.enqueue(Gesture::kDragPress, 0);
        engine.queue.enqueue(Gesture::kDragRelease, 0);
        engine.queue.enqueue(Gesture::kTapClick, 0);
        reset_taps_and_drag(platform, engine);
        break;
    case DragRule::kPlainTap:
        if (v.drag_active == 0) {
            engine.queue.enqueue(Gesture::kTapClick, 0);
            clear(engine.drag.tap_state, engine.drag.retouch_seen, engine.drag.tap_pending,
                  engine.drag.tap_request);
        }
        break;
    case DragRule::kLateSecondTap: reset_taps_and_drag(platform, engine); break;
    case DragRule::kNone: break;
    }
    return rule;
}
