// Auto-scroll: after a scrolling flick, keep scrolling in the direction of
// the last scroll step, one repetition every 25 ms, until a finger touches
// the pad, the recogniser cancels the scroll or AutoScrollCheckBox goes off.
// auto_scroll_thread wakes once per post of the auto-scroll starts and runs
// auto_scroll_wake; the commands and the sleep come through the EnginePlatform,
// the shared words through the EngineShared it is given, so tests run it
// without a shell or X.
#pragma once

// The commands it runs (the wheel clicks and the PDF viewer's arrow keys).
#include "action_commands.h"
#include "engine_state.h"
#include "platform.h"

// The arrow key that an auto-scroll in the PDF viewer holds down.
enum class HeldKey { kNone, kLeft, kRight };

// Thread-local state of auto_scroll_thread.
struct AutoScroll {
    HeldKey held;
};

// Thread start: nothing held; scroll_finger_count and scroll_active 0.
void auto_scroll_start(EngineShared &engine, AutoScroll *a);

// One wake-up: first waits until the action thread has carried out every
// entry enqueued so far (see auto_scroll_wait_for_actions); then refuses
// (clearing scroll_active) when the run condition does not hold, otherwise
// repeats until it fails and then ends the auto-scroll. Returns the number
// of repetitions (0 when refused).
int auto_scroll_wake(const EnginePlatform &platform, EngineShared &engine, AutoScroll *a);

// Sleeps in short steps until the queue's entries_done has caught up with the
// entries queued when it was called, a finger touches the pad, or 5 s pass.
void auto_scroll_wait_for_actions(const EnginePlatform &platform, EngineShared &engine);

// Releases a held arrow key (the end step; also used when the engine ends).
void auto_scroll_release_key(const EnginePlatform &platform, AutoScroll *a);
