// What hotkey_event_thread does with each action_queue entry: the focused
// application's adaptations, the typing gate, the latches, the pointer
// shapes, the scroll-direction flags and the drag button.
#pragma once

#include <cstdint>

#include "engine_state.h"
#include "platform.h"

// State that only hotkey_event_thread touches.
struct HotkeyState {
    int64_t last_browser_zoom_ms;  // time of the last browser zoom step
    int32_t zoom_in_steps;         // zoom-in entries since that step
    int32_t zoom_out_steps;
    int32_t tap_button1_off;  // 1 between "TapButton1=0" and "TapButton1=1"
};
extern HotkeyState hotkey_state;

// Longest title looked at; a longer one is cut (application names are
// matched anywhere in what is kept).
constexpr int kTitleMax = 1024;

// Thread start, before the keysym table: latches and held-button flags to 0.
void hotkey_clear_latches(EngineShared &engine);
// Thread start, after the keysym table: scroll-direction flags to 0, browser
// zoom limiter from now, tap_button1_off 0.
void hotkey_clear_scroll_and_zoom(EngineShared &engine, int64_t now_ms);

// One entry, everything but the queue wait and the read index.
void carry_out_action(const EnginePlatform &platform, EngineShared &engine, Gesture code, int32_t arg);

// The thread's loop body: waits for the next entry, hands it to trace (when
// not null), carries it out and counts it in the queue's entries_done.
void carry_out_next_action(const EnginePlatform &platform, EngineShared &engine,
                           void (*trace)(Gesture code, int32_t arg));
