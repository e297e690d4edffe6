#include "block_reattach.h"

#include <sys/ipc.h>
#include <sys/shm.h>

AttachedBlock remember_attached_block(TouchpadSharedBlock *base)
{
    return {base, shmget(kTouchpadShmKey, 0, 0)};
}

TouchpadSharedBlock *attach_if_recreated(AttachedBlock &block)
{
    // A removed segment loses its key, so the key names the live block.
    int id = shmget(kTouchpadShmKey, 0, 0);
    if (id == -1 || id == block.id)
        return nullptr;
    if (shmget(kTouchpadShmKey, kTouchpadShmSize, 0) != id)
        return nullptr;  // not the block's size: not one to attach
    void *base = shmat(id, nullptr, 0);
    if (base == reinterpret_cast<void *>(-1))
        return nullptr;
    TouchpadSharedBlock *old = block.base;
    block = {static_cast<TouchpadSharedBlock *>(base), id};
    return old;
}
