// Follows the touchpad block across driver restarts: the one block-follower
// of every program that keeps the block attached.
//
// When the driver (or the X server, or vorellpad) restarts, it removes the
// block and creates a new one under the same key; a program still attached
// to the old segment would read and write a block nobody else sees. A
// BlockWatch compares, at most once a second, the segment the key names with
// the one attached, and maps a new one over the old at the same address, so
// every pointer into the block stays valid in every thread and in signal
// handlers.
#pragma once

#include <cstdint>

#include "block_trust.h"
#include "touchpad_block.h"

constexpr int kBlockCheckPeriodMs = 1000;
// A daemon that sleeps while nothing happens looks this rarely, and at once
// (but at most every kBlockCheckPeriodMs) when the user is back.
constexpr int kIdleBlockCheckPeriodMs = 10000;

struct BlockWatch {
    int id = -1;          // segment attached at the watched address
    int refused_id = -1;  // a newer segment that could not be attached (said once)
    int64_t checked_ms = 0;
    // Trusted besides the program's own user and root (vorellpad --user).
    uid_t served = kNoServedUser;
    // A publisher (vorellpad) also refuses a block that other users may
    // have attached for writing.
    bool publisher = false;
    // When set, called with the old block still at the watched address just
    // before the new one takes its place (a watcher lowers its flag there).
    void (*leaving)(void *old_block, void *ctx) = nullptr;
    void *leaving_ctx = nullptr;
};

enum class BlockCheck {
    kUnchanged,  // the same segment, or none to follow (the old one stays)
    kReplaced,   // the new segment now lies at the watched address
    kGone,       // no segment under the key: the old one stays mapped
};

// Notes the segment now under the key as the attached one (call right after
// attach_shared_block).
void block_watch_init(BlockWatch *w);

// Looks at once: if the key names another usable segment (look_at_block
// with w's served user), maps it at block's address (the old mapping goes)
// and writes "<program>: touchpad block re-created, attached again" to
// standard error. A new segment of another size, another user's or one that
// cannot be attached is reported once with the attach routine's words and
// left alone.
BlockCheck block_watch_check(BlockWatch *w, void *block, const char *program);

// block_watch_check when at least a second has passed since the last look
// (monotonic clock); otherwise kUnchanged without a system call.
BlockCheck block_watch_poll(BlockWatch *w, void *block, const char *program);

// For a daemon that sleeps while idle: block_watch_check when ten seconds
// have passed since the last look, or one second when nudged (a key was
// pressed: the user is back).
BlockCheck block_watch_idle_poll(BlockWatch *w, void *block, const char *program, bool nudged);

// Microseconds until block_watch_idle_poll looks again unless nudged.
int64_t block_watch_idle_wait_us(const BlockWatch *w);

// Maps segment id over block's address and watches it from now on: for a
// publisher that made the new segment itself. False (errno set) when the
// segment cannot be attached; the old mapping then stays.
bool block_watch_adopt(BlockWatch *w, void *block, int id);
