#include "watcher_run.h"

#include <sys/shm.h>

#include <cstdio>
#include <cstdlib>

#include "block_reattach.h"
#include "clock.h"
#include "watcher_logic.h"
#include "x_key_events.h"
#include "x_keymap.h"

namespace {

// The block's key is looked up again this often, also on an idle keyboard,
// so a driver restart is followed within a second (one system call a second
// costs nothing measurable).
constexpr int64_t kBlockCheckUs = 1000000;
// Without key events the keyboard is read at this period.
constexpr int64_t kFallbackPollUs = 20000;

// Shared with the X I/O error handler, which runs on this same thread.
const WatcherBuild *g_build = nullptr;
WatcherState g_state;
AttachedBlock g_block;

// The X server has gone (at logout, say): lower a flag this watcher raised,
// which would otherwise keep silencing the touchpad, then end as Xlib's own
// handler would.
int on_x_connection_lost(Display *)
{
    watcher_lower(*g_build, g_state, g_block.base);
    exit(1);
}

int64_t earlier(int64_t a, int64_t b) { return a < b ? a : b; }

// Every key press, typed or sent, is noted for the next reading.
void note_press(void *pressed, const KeyEvent &e)
{
    if (e.press)
        static_cast<uint8_t *>(pressed)[e.keycode / 8] |= static_cast<uint8_t>(1u << (e.keycode % 8));
}

void follow_recreated_block(const WatcherBuild &build)
{
    TouchpadSharedBlock *old = attach_if_recreated(g_block);
    if (!old)
        return;
    watcher_block_replaced(build, g_state, old);
    shmdt(old);
    fprintf(stderr, "%s: the shared memory area was created again; attached the new one.\n", build.program);
}

}  // namespace

void run_watcher(const WatcherBuild &build, Display *display, TouchpadSharedBlock *block)
{
    g_build = &build;
    g_block = remember_attached_block(block);
    int64_t now = monotonic_now_us();
    watcher_init(g_state, now);
    XSetIOErrorHandler(on_x_connection_lost);

    static KeyEventListener listener;
    const bool key_events = listen_for_key_events(display, &listener);
    if (!key_events)
        fprintf(stderr, "%s: no XInput 2 key events from this X server; reading the keyboard every 20 ms.\n",
                build.program);

    uint8_t pressed[kKeyVectorBytes] = {};
    int64_t next_block_check = now + kBlockCheckUs;
    int64_t next_fallback_poll = key_events ? kNever : now;
    // Events can wait in Xlib's queue only after the socket was readable or
    // a keymap reply was read; otherwise a wake-up costs no X call.
    bool events_may_wait = true;
    for (;;) {
        // Also how a lost connection is noticed, idle or not: the socket
        // becomes readable and the read fails.
        if (events_may_wait && take_key_events(display, &listener, note_press, pressed))
            watcher_key_event(g_state);
        events_may_wait = false;
        now = monotonic_now_us();
        if (now >= next_fallback_poll) {
            watcher_key_event(g_state);
            next_fallback_poll = now + kFallbackPollUs;
        }
        if (now >= next_block_check) {
            follow_recreated_block(build);
            next_block_check = now + kBlockCheckUs;
        }
        if (watcher_wake(build, g_state, g_block.base, now)) {
            uint8_t keys[kKeyVectorBytes];
            query_x_keymap(display, keys);
            bool already_up = add_reported_presses(keys, pressed);
            watcher_keys(build, g_state, g_block.base, now, keys);
            if (already_up)
                watcher_key_event(g_state);
            events_may_wait = true;
            continue;
        }
        int64_t next = earlier(watcher_next_wake(g_state), next_block_check);
        // Polling without key events: only while a reading could follow
        // (not switched off, and none already waiting for its time).
        if (!g_state.switched_off && !g_state.reading_wanted)
            next = earlier(next, next_fallback_poll);
        events_may_wait = wait_for_x(display, next - now);
    }
}
