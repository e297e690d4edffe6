// A recording X client: what keys and buttons reach the server, through the
// RECORD extension, with the moment each one arrived here.
//
// The server hands RECORD data to the recording connection only when its
// buffer fills or when it writes output to some client. So the session also
// maps a window of its own that covers the screen, holds the input focus and
// selects key and button events: every key or button event is then also
// delivered to that window, the server writes output, and the recorded
// copy is flushed at once. The window's title is settable, which makes it
// "the focused window" whose title the engine reads.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <cstdint>

struct RecordedEvent {
    int type;              // KeyPress, KeyRelease, ButtonPress or ButtonRelease
    int detail;            // keycode or button number
    uint32_t server_time;  // the event's server timestamp (ms)
    int64_t arrival_us;    // CLOCK_MONOTONIC microseconds when it was read here
};

using RecordCallback = void (*)(const RecordedEvent &event, void *ctx);

struct RecordSession {
    Display *control;  // the window, titles, key names
    Display *data;     // the RECORD data connection
    Window window;
    XRecordContext context;
    XRecordRange *range;
    bool started;
    RecordCallback callback;
    void *ctx;
};

// Opens both connections to display_name (nullptr: $DISPLAY), maps the
// focused window with the given title (nullptr: none) and starts recording.
// On failure writes why into err and returns false.
bool record_open(RecordSession *s, const char *display_name, const char *title, RecordCallback callback,
                 void *ctx, char *err, int err_cap);

// Waits up to timeout_ms for recorded events and hands each to the callback.
// Returns false when a connection is lost.
bool record_poll(RecordSession *s, int timeout_ms);

// Keysym name of a keycode at level 0 ("Alt_L"), or "keycode" when unknown.
const char *record_key_name(RecordSession *s, int keycode);

// Event type as a word ("ButtonPress").
const char *record_event_name(int type);

void record_close(RecordSession *s);

// CLOCK_MONOTONIC in microseconds.
int64_t monotonic_us();
