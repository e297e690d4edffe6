// The watcher's decisions, driven from outside: the caller says what time it
// is, when the X server reported a key press or release, and what the 32-byte
// key vector held when it read it. No clock, no X and no sleeping in here.
//
// A loop around it:
//   watcher_key_event()       after every key press or release the server reports
//   if (watcher_wake(now))    read the key vector, then watcher_keys(now, keys)
//   sleep until watcher_next_wake() or the next key event, whichever comes first
#pragma once

#include <cstdint>

#include "key_vector.h"
#include "watcher_builds.h"

constexpr int64_t kNever = INT64_MAX;

struct WatcherState {
    bool raised;              // this watcher last wrote 1 into its flag
    bool typing;              // the last reading found an ordinary key down
    int64_t release_wait_us;  // set at every reading that finds an ordinary key down
    bool switched_off;        // DisableWhenKeyCheckBox was 0 at the last look
    bool reading_wanted;      // a key event has come that no reading has answered yet
    int64_t quiet_until_us;   // builds that wait while a key is down: no reading before this
    int64_t lower_at_us;      // end of the running release wait, kNever when none runs
    int64_t switch_check_at_us;
};

// Starts with nothing raised and a first reading wanted at once; the flag
// is not written.
void watcher_init(WatcherState &s, int64_t now_us);

// The X server reported a key press or release (or, without key events, the
// fallback polling period has passed).
void watcher_key_event(WatcherState &s);

// Decisions that need no keyboard, due at now_us: the master switch (looked
// at on every wake, at least once a second while the flag is up, and while
// it is off only at key events), and the end of a release wait. True when
// the key vector is to be read now and handed to watcher_keys.
bool watcher_wake(const WatcherBuild &build, WatcherState &s, void *block, int64_t now_us);

// One reading of the key vector (bit b of byte i: keycode 8 * i + b down).
void watcher_keys(const WatcherBuild &build, WatcherState &s, void *block, int64_t now_us,
                  const uint8_t keys[kKeyVectorBytes]);

// When watcher_wake next has something to do if no key event comes first;
// kNever when only a key event can give it something.
int64_t watcher_next_wake(const WatcherState &s);

// Lowers the flag if this watcher raised it (used when the program ends).
void watcher_lower(const WatcherBuild &build, WatcherState &s, void *block);

// The block was created again and the watcher is about to write into a new
// one: the flag comes down in the old block, nothing is written into the new
// one, and the keyboard is read again at once so a key still down raises it
// there.
void watcher_block_replaced(const WatcherBuild &build, WatcherState &s, void *old_block);

// True when a test of the first `exempt_count` exempt keys matches.
bool exempt_key_down(const uint8_t keys[kKeyVectorBytes], int exempt_count);

// Release wait for a delay field value in tenths of a second. Values outside
// the field's range 0..20 are taken as its nearest end.
int64_t release_wait_for(int32_t delay_tenths);

// Adds to a key vector just read the keys whose presses were reported since
// the last reading (a tap can be over before the reading reaches the server),
// and empties `pressed`. True when one of them was no longer down: then the
// vector shows a key that is already up, and another reading is needed to
// see it released.
bool add_reported_presses(uint8_t keys[kKeyVectorBytes], uint8_t pressed[kKeyVectorBytes]);
