#include "touchpad_block.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "block_trust.h"

BlockLook look_at_block(BlockSeen *seen, uid_t served)
{
    seen->id = shmget(kTouchpadShmKey, 0, 0);
    if (seen->id == -1)
        return BlockLook::kMissing;
    if (shmget(kTouchpadShmKey, kTouchpadShmSize, 0) == -1)
        return BlockLook::kWrongSize;  // smaller than the block
    if (shmctl(seen->id, IPC_STAT, &seen->ds) != 0) {
        // Not even readable, so not attachable either.
        seen->error = errno;
        return BlockLook::kNoAccess;
    }
    if (seen->ds.shm_segsz != kTouchpadShmSize)
        return BlockLook::kWrongSize;
    return block_trusted(seen->ds.shm_perm, served) ? BlockLook::kUsable : BlockLook::kUntrusted;
}

namespace {

// Attaches what look_at_block found usable (the same segment: its owner and
// creator were judged on that one), or says why not.
TouchpadSharedBlock *attach_seen(BlockLook look, const BlockSeen &seen, BlockLook *why)
{
    switch (look) {
    case BlockLook::kUsable: {
        void *base = shmat(seen.id, nullptr, 0);
        if (base != reinterpret_cast<void *>(-1))
            return static_cast<TouchpadSharedBlock *>(base);
        perror("shmat");
        look = BlockLook::kNoAccess;
        break;
    }
    case BlockLook::kMissing: fputs("Can't access shared memory area. SHMConfig disabled?\n", stderr); break;
    case BlockLook::kWrongSize:
        fputs("Incorrect size of shared memory area. Incompatible driver version?\n", stderr);
        break;
    case BlockLook::kNoAccess:
        errno = seen.error;
        perror("shmat");
        break;
    case BlockLook::kUntrusted: say_block_untrusted(seen.ds.shm_perm); break;
    }
    if (why)
        *why = look;
    return nullptr;
}

}  // namespace

TouchpadSharedBlock *attach_shared_block(BlockLook *why)
{
    BlockSeen seen;
    BlockLook look = look_at_block(&seen);
    return attach_seen(look, seen, why);
}

TouchpadSharedBlock *attach_own_block(const char *program, void (*wait)(void *ctx), void *ctx, bool *waited)
{
    bool waiting = false;
    int refused = -1;  // the segment last refused, so that it is said once
    for (;;) {
        BlockSeen seen;
        BlockLook look = look_at_block(&seen);
        if (look != BlockLook::kUntrusted && !(waiting && look == BlockLook::kMissing)) {
            if (waited)
                *waited = waiting;
            return attach_seen(look, seen, nullptr);
        }
        if (look == BlockLook::kUntrusted && seen.id != refused) {
            say_block_untrusted(seen.ds.shm_perm);
            if (!waiting)
                fprintf(stderr, "%s: waiting for a touchpad block of your own\n", program);
            refused = seen.id;
        }
        waiting = true;
        wait(ctx);
    }
}

namespace {

// Single stores and loads of one field; memcpy keeps the 4-byte-aligned
// doubles and the int32 words free of alignment and aliasing trouble.
template <typename T>
T load_field(const void *block, int offset)
{
    T v;
    memcpy(&v, static_cast<const char *>(block) + offset, sizeof v);
    return v;
}

template <typename T>
void store_field(void *block, int offset, T value)
{
    memcpy(static_cast<char *>(block) + offset, &value, sizeof value);
}

}  // namespace

int32_t block_get_int(const void *block, int offset) { return load_field<int32_t>(block, offset); }

void block_set_int(void *block, int offset, int32_t value) { store_field(block, offset, value); }

double block_get_double(const void *block, int offset) { return load_field<double>(block, offset); }

void block_set_double(void *block, int offset, double value) { store_field(block, offset, value); }
