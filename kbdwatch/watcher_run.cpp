#include "watcher_run.h"

#include <cstdio>
#include <cstdlib>

#include "block_watch.h"
#include "clock.h"
#include "watcher_logic.h"
#include "x_key_events.h"
#include "x_keymap.h"

namespace {

// The block's key is looked up again every second while this watcher has
// its flag up or a key was pressed, else every ten seconds, so that an idle
// keyboard wakes nothing more often.
constexpr int64_t kBlockCheckUs = int64_t{kBlockCheckPeriodMs} * 1000;
constexpr int64_t kIdleBlockCheckUs = int64_t{kIdleBlockCheckPeriodMs} * 1000;
// Without key events the keyboard is read at this period, and the master
// switch, while it is off, looked at every second.
constexpr int64_t kFallbackPollUs = 20000;
constexpr int64_t kFallbackSwitchedOffUs = 1000000;

// Shared with the X I/O error handler, which runs on this same thread.
const WatcherBuild *g_build = nullptr;
WatcherState g_state;
TouchpadSharedBlock *g_block = nullptr;
BlockWatch g_watch;

// The X server has gone (at logout, say): lower a flag this watcher raised,
// which would otherwise keep silencing the touchpad, then end as Xlib's own
// handler would.
int on_x_connection_lost(Display *)
{
    watcher_lower(*g_build, g_state, g_block);
    exit(1);
}

int64_t earlier(int64_t a, int64_t b) { return a < b ? a : b; }

// Every key press, typed or sent, is noted for the next reading.
void note_press(void *pressed, const KeyEvent &e)
{
    if (e.press)
        static_cast<uint8_t *>(pressed)[e.keycode / 8] |= static_cast<uint8_t>(1u << (e.keycode % 8));
}

// The driver made the block anew: the flag comes down in the old one
// before the new one is mapped in its place.
void leave_old_block(void *old, void *) { watcher_block_replaced(*g_build, g_state, old); }

}  // namespace

void run_watcher(const WatcherBuild &build, Display *display, TouchpadSharedBlock *block)
{
    g_build = &build;
    g_block = block;
    block_watch_init(&g_watch);
    g_watch.leaving = leave_old_block;
    int64_t now = monotonic_now_us();
    watcher_init(g_state, now);
    XSetIOErrorHandler(on_x_connection_lost);

    static KeyEventListener listener;
    const bool key_events = listen_for_key_events(display, &listener);
    if (!key_events)
        fprintf(stderr, "%s: no XInput 2 key events from this X server; reading the keyboard every 20 ms.\n",
                build.program);

    uint8_t pressed[kKeyVectorBytes] = {};
    int64_t block_checked = now;
    int64_t next_fallback_poll = key_events ? kNever : now;
    // Events can wait in Xlib's queue only after the socket was readable or
    // a keymap reply was read; otherwise a wake-up costs no X call.
    bool events_may_wait = true;
    for (;;) {
        // Also how a lost connection is noticed, idle or not: the socket
        // becomes readable and the read fails.
        const bool key_seen = events_may_wait && take_key_events(display, &listener, note_press, pressed);
        if (key_seen)
            watcher_key_event(g_state);
        events_may_wait = false;
        now = monotonic_now_us();
        if (now >= next_fallback_poll) {
            watcher_key_event(g_state);
            next_fallback_poll = now + (g_state.switched_off ? kFallbackSwitchedOffUs : kFallbackPollUs);
        }
        const bool busy = key_seen || g_state.raised;
        if (now - block_checked >= (busy ? kBlockCheckUs : kIdleBlockCheckUs)) {
            block_watch_check(&g_watch, g_block, build.program);
            block_checked = now;
        }
        if (watcher_wake(build, g_state, g_block, now)) {
            uint8_t keys[kKeyVectorBytes];
            query_x_keymap(display, keys);
            bool already_up = add_reported_presses(keys, pressed);
            watcher_keys(build, g_state, g_block, now, keys);
            if (already_up)
                watcher_key_event(g_state);
            events_may_wait = true;
            continue;
        }
        int64_t next = earlier(watcher_next_wake(g_state),
                               block_checked + (g_state.raised ? kBlockCheckUs : kIdleBlockCheckUs));
        // Polling without key events: only while a reading could follow
        // (none already waiting for its time).
        if (!g_state.reading_wanted)
            next = earlier(next, next_fallback_poll);
        events_may_wait = wait_for_x(display, next - now);
    }
}
