#include "block_reattach.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "block_trust.h"

AttachedBlock remember_attached_block(TouchpadSharedBlock *base)
{
    return {base, shmget(kTouchpadShmKey, 0, 0), -1};
}

TouchpadSharedBlock *attach_if_recreated(AttachedBlock &block)
{
    // A removed segment loses its key, so the key names the live block.
    BlockSeen seen;
    const BlockLook look = look_at_block(&seen);
    if (look == BlockLook::kMissing || seen.id == block.id || seen.id == block.refused_id)
        return nullptr;
    if (look == BlockLook::kUntrusted) {
        say_block_untrusted(seen.ds.shm_perm);
        block.refused_id = seen.id;  // said once; the old block stays
        return nullptr;
    }
    if (look != BlockLook::kUsable)
        return nullptr;  // not one to attach
    void *base = shmat(seen.id, nullptr, 0);
    if (base == reinterpret_cast<void *>(-1))
        return nullptr;
    TouchpadSharedBlock *old = block.base;
    block = {static_cast<TouchpadSharedBlock *>(base), seen.id, -1};
    return old;
}
