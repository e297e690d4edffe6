#include "block_watch.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdio>

#include "clock.h"

void block_watch_init(BlockWatch *w)
{
    w->id = shmget(kTouchpadShmKey, 0, 0);
    w->refused_id = -1;
    w->next_check_ms = coarse_monotonic_now_ms() + kBlockCheckPeriodMs;
}

BlockCheck block_watch_check(BlockWatch *w, void *block, const char *program)
{
    int id = shmget(kTouchpadShmKey, 0, 0);
    // No segment: the driver is between removing the old block and making
    // the new one; the old mapping stays until then.
    if (id == -1 || id == w->id || id == w->refused_id)
        return BlockCheck::kUnchanged;

    struct shmid_ds info;
    if (shmctl(id, IPC_STAT, &info) != 0 || info.shm_segsz != kTouchpadShmSize) {
        fputs("Incorrect size of shared memory area. Incompatible driver version?\n", stderr);
        w->refused_id = id;
        return BlockCheck::kUnchanged;
    }
    if (shmat(id, block, SHM_REMAP) == reinterpret_cast<void *>(-1)) {
        perror("shmat");
        w->refused_id = id;
        return BlockCheck::kUnchanged;
    }
    w->id = id;
    w->refused_id = -1;
    fprintf(stderr, "%s: touchpad block re-created, attached again\n", program);
    return BlockCheck::kReplaced;
}

BlockCheck block_watch_poll(BlockWatch *w, void *block, const char *program)
{
    int64_t now = coarse_monotonic_now_ms();
    if (now < w->next_check_ms)
        return BlockCheck::kUnchanged;
    w->next_check_ms = now + kBlockCheckPeriodMs;
    return block_watch_check(w, block, program);
}
