#include "block_watch.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstdio>

#include "clock.h"

namespace {

// A publisher writes gestures into the block: one that others may have
// attached for writing (they keep that mapping through any later change of
// mode) is not used.
bool open_to_others(const BlockWatch &w, const BlockSeen &seen)
{
    return w.publisher && !block_closed_to_others(seen.ds.shm_perm);
}

}  // namespace

void block_watch_init(BlockWatch *w)
{
    w->id = shmget(kTouchpadShmKey, 0, 0);
    w->refused_id = -1;
    w->checked_ms = coarse_monotonic_now_ms();
}

bool block_watch_adopt(BlockWatch *w, void *block, int id)
{
    if (w->leaving)
        w->leaving(block, w->leaving_ctx);
    if (shmat(id, block, SHM_REMAP) == reinterpret_cast<void *>(-1))
        return false;
    w->id = id;
    w->refused_id = -1;
    return true;
}

BlockCheck block_watch_check(BlockWatch *w, void *block, const char *program)
{
    w->checked_ms = coarse_monotonic_now_ms();
    BlockSeen seen;
    const BlockLook look = look_at_block(&seen, w->served);
    // No segment: the driver is between removing the old block and making
    // the new one; the old mapping stays until then.
    if (look == BlockLook::kMissing)
        return BlockCheck::kGone;
    if (seen.id == w->id || seen.id == w->refused_id)
        return BlockCheck::kUnchanged;

    if (look != BlockLook::kUsable) {
        // Another user's block is never mapped: the old one stays until a
        // proper one comes.
        say_block_unusable(look, seen);
    } else if (open_to_others(*w, seen)) {
        fprintf(stderr, "%s: the new touchpad block is open to other users (mode %04o); not using it\n",
                program, static_cast<unsigned>(seen.ds.shm_perm.mode & 0777));
    } else if (block_watch_adopt(w, block, seen.id)) {
        fprintf(stderr, "%s: touchpad block re-created, attached again\n", program);
        return BlockCheck::kReplaced;
    } else {
        perror("shmat");
    }
    w->refused_id = seen.id;
    return BlockCheck::kUnchanged;
}

BlockCheck block_watch_poll(BlockWatch *w, void *block, const char *program)
{
    if (coarse_monotonic_now_ms() - w->checked_ms < kBlockCheckPeriodMs)
        return BlockCheck::kUnchanged;
    return block_watch_check(w, block, program);
}

BlockCheck block_watch_idle_poll(BlockWatch *w, void *block, const char *program, bool nudged)
{
    const int64_t since = coarse_monotonic_now_ms() - w->checked_ms;
    if (since < (nudged ? kBlockCheckPeriodMs : kIdleBlockCheckPeriodMs))
        return BlockCheck::kUnchanged;
    return block_watch_check(w, block, program);
}

int64_t block_watch_idle_wait_us(const BlockWatch *w)
{
    // One tick of the coarse clock more, so a wait that ends on time does
    // not find the look a tick early and wait again.
    constexpr int64_t kTickMs = 10;
    const int64_t left = w->checked_ms + kIdleBlockCheckPeriodMs + kTickMs - coarse_monotonic_now_ms();
    return left > 0 ? left * 1000 : 0;
}
