// Drag lock: what a one-finger tap becomes (a click, the start of a
// tap-and-drag, or the end of one). drag_event_thread wakes once per post of
// the drag events' semaphore and runs drag_lock_wake; everything it needs from outside
// comes through the EnginePlatform (clock, sleep, shell) and the EngineShared it
// is given (the action queue, the shared flags and the settings snapshot), so
// tests drive a wake-up with a fake clock and scripted flags.
#pragma once

#include <climits>
#include <cstdint>

#include "engine_state.h"
#include "platform.h"

// The rules, tried in this order; the first whose conditions all hold wins.
enum class DragRule {
    kBegin,           // a touch near the tap: start dragging
    kTapAgainEnds,    // a further tap ends the drag
    kLiftWait,        // lifted: wait for the finger to come back
    kLiftEnds,        // lifting ends the drag
    kQuickSecondTap,  // second tap at most 250 ms into a drag: a double click
    kPlainTap,        // a single tap: click
    kLateSecondTap,   // second tap later than that: forget the taps
    kNone,
};

// The words the rules look at, read once per wake-up.
struct DragView {
    int32_t retouch_near_tap;
    int32_t drag_active;
    TapState tap_state;
    int32_t tap_request;
    int32_t drag_fingers_up;
    int32_t drag_lift_event;
    int32_t drag_tap_again;
    int32_t DragCheckBox;
    int32_t LiftReleaseRadioButton;
    int32_t TapAgainRadioButton;
    int32_t TapReleaseRadioButton;
    int32_t drag_elapsed_ms;
};

// Pure: the rule that a wake-up with this view applies.
DragRule choose_drag_rule(const DragView &v);

// How a re-touch wait (kLiftWait) ended.
enum class RetouchOutcome {
    kFingerBack,  // one finger is on the pad again: the drag goes on
    kTapped,      // a tap came during the wait: release
    kTimedOut,    // DragSlider seconds passed: release
};

// Starting value of drag_elapsed_ms: "the last drag began long ago". The
// quick and the late second-tap rules test it also when no drag has begun
// yet; with this value a stray second tap before the first drag is forgotten
// (kLateSecondTap) instead of sending a release of button 1 that was never
// pressed and a click (kQuickSecondTap).
constexpr int32_t kNoDragYetMs = INT32_MAX;

// Thread-local state of drag_event_thread.
struct DragLock {
    int64_t drag_start_ms;    // the platform clock's ms when the current drag began
    int32_t drag_elapsed_ms;  // ms from drag_start_ms to the latest wake-up in a drag
};

// Thread start: fresh thread-local state and drag_timeout_off = 0.
void drag_lock_start(EngineShared &engine, DragLock *d);

// One wake-up (after a post of the drag events' semaphore): the settling wait, the elapsed
// time, then the first rule that applies with its effects. Returns the rule.
DragRule drag_lock_wake(const EnginePlatform &platform, EngineShared &engine, DragLock *d);

// The re-touch wait after a lift in a tap-release drag on its own (called by
// drag_lock_wake).
RetouchOutcome drag_wait_for_retouch(const EnginePlatform &platform, EngineShared &engine);

// The four commands to the parameter client.
extern const char kDragHoldOnCommand[];
extern const char kDragHoldOffCommand[];
extern const char kDragTimeoutOffCommand[];
extern const char kDragTimeoutOnCommand[];
