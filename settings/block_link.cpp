#include "block_link.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>

bool BlockLink::look()
{
    BlockStatus next = next_status();
    bool changed = next != status_;
    status_ = next;
    return changed;
}

BlockStatus BlockLink::next_status()
{
    int id = shmget(kTouchpadShmKey, 0, 0);
    if (id == -1)
        return BlockStatus::kMissing;
    struct shmid_ds info;
    if (shmctl(id, IPC_STAT, &info) != 0) {
        refusal_ = strerror(errno);
        return BlockStatus::kRefused;
    }
    if (info.shm_segsz != kTouchpadShmSize)
        return BlockStatus::kWrongSize;
    if (block_) {
        // The driver may have made the block anew; the watch maps the new
        // one over the old at the same address.
        block_watch_check(&watch_, block_, "vorell-settings");
        if (watch_.id == id)
            return BlockStatus::kAttached;
        refusal_ = "the driver's new block could not be attached";
        return BlockStatus::kRefused;
    }
    if (id == refused_id_)
        return BlockStatus::kRefused;
    // The block is there with the right size, so the attach routine can
    // only fail at the attach itself, which it reports once per segment.
    block_ = attach_shared_block();
    if (!block_) {
        refusal_ = strerror(errno);
        refused_id_ = id;
        return BlockStatus::kRefused;
    }
    block_watch_init(&watch_);
    return BlockStatus::kAttached;
}

std::string block_status_text(const BlockLink &link)
{
    switch (link.status()) {
    case BlockStatus::kMissing:
        return "No touchpad block: neither the touchpad driver nor vorellpad is running, so these "
               "settings cannot take effect. Start the gesture suite (vorell-session start), which "
               "starts vorellpad where there is a touchpad.";
    case BlockStatus::kWrongSize:
        return "The touchpad block has the wrong size: the touchpad driver is of another version "
               "than this suite. Nothing is changed.";
    case BlockStatus::kRefused: return "The touchpad block cannot be opened: " + link.refusal() + ".";
    case BlockStatus::kAttached: return "";
    }
    return "";
}
