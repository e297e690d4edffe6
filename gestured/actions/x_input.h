// Synthetic keyboard and pointer input through XTEST, and the focused
// window's title. Used only by hotkey_event_thread on its own display
// connection (and by the release-on-signal path on a connection of its own).
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>

#include "platform.h"

// Shift level (0, 1, 2) at which a keysym 0..0xFFFF was first found in the
// keyboard mapping, -1 when no key carries it (or the keysym is larger); and
// the keycode it was found on, 0 when none. Filled once by
// build_keysym_table.
int keysym_level(uint32_t keysym);
KeyCode keysym_keycode(uint32_t keysym);

// The modifier key that reaches each level: none, Shift_L, ISO_Level3_Shift.
extern const char *const modifier_for_level[3];

// One character and its terminating zero: the one-letter key names R, L, D.
extern char key_char_buffer[2];

// The display connection of hotkey_event_thread (nullptr until it is open).
extern Display *hotkey_display;

// The focused window's title, or its direct parent's; nullptr when neither
// has one. The caller releases the text with XFree.
char *get_focus_window_name(Display *display);

// The focused window's WM_CLASS (instance and class, zero-terminated, cut to
// cap - 1 bytes), from the window or the nearest window above it that has
// one; false when none has. The answer is kept per focused window: while the
// focus stays, one focus query is all it costs.
bool get_focus_window_class(Display *display, char *instance, char *window_class, int cap);

// Keycode of a keysym name; an unknown name is reported and "space" is used.
KeyCode keysym_name_to_keycode(Display *display, const char *name);

void send_key_tap(Display *display, const char *name);
void send_text(Display *display, const char *text);
// One InputKind; every call ends with a flush, an unknown kind included.
void send_input(Display *display, const char *operand, int button, InputKind kind);

// Fills the two keysym tables from the server's keyboard mapping. Call once,
// after setlocale, before the first send_text.
void build_keysym_table(Display *display);

// Makes X protocol errors (a focus window that vanished, a keycode no key
// carries) harmless: they are counted and otherwise ignored, instead of
// ending the process as Xlib's default handler does.
void install_x_error_handler();
extern std::atomic<int> x_errors_ignored;
