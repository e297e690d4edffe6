// The three catalogues of actions that the user picks by number in the
// settings panel (buttons, taps, cover gesture; zoom; rotation), and the
// release of a button that a catalogue left pressed. hotkey_event_thread only;
// all input goes out through the EnginePlatform it is given.
#pragma once

#include <cstdint>

#include "action_names.h"
#include "platform.h"

// The three catalogues and their numbers: CommonAction, ZoomAction and
// RotateAction, written once with their names in action_names.h.
// 1 while a catalogue has pressed that button and nobody has released it.
extern int32_t left_button_held;
extern int32_t middle_button_held;
extern int32_t right_button_held;
// 1 while the entry being carried out is a physical-button entry (codes 0-2).
extern int32_t hold_gesture;

// Each takes the code as the block holds it; a code outside the catalogue
// does nothing.
void run_common_action(const EnginePlatform &platform, int32_t code);  // 0..17
void run_zoom_action(const EnginePlatform &platform, int32_t code);    // 0..5
void run_rotate_action(const EnginePlatform &platform, int32_t code);  // 0..5
// Releases the first held button of left, middle, right; at most one per call.
void release_held_button(const EnginePlatform &platform);

// Input helpers shared with the gesture actions.
void press_key(const EnginePlatform &platform, const char *name);
void release_key(const EnginePlatform &platform, const char *name);
void tap_key(const EnginePlatform &platform, const char *name);
void type_text(const EnginePlatform &platform, const char *text);
void click_button(const EnginePlatform &platform, int button);
// Press both keys, release them in reverse order.
void key_chord(const EnginePlatform &platform, const char *first, const char *second);
// Control_L down, button n clicked, Control_L up.
void control_click(const EnginePlatform &platform, int button);
