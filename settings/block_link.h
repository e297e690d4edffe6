// The window's hold on the touchpad block, which may come and go while the
// window is open: attached when it appears, followed when the driver makes it
// anew, and reported in words when it is missing, of the wrong size or
// refused. Looked at by the window about once a second; nothing here blocks.
#pragma once

#include <string>

#include "block_watch.h"
#include "touchpad_block.h"

enum class BlockStatus { kMissing, kWrongSize, kRefused, kAttached };

class BlockLink {
public:
    // Looks at the block's key once; true when the status changed.
    bool look();
    BlockStatus status() const { return status_; }
    // The block while the status is kAttached, otherwise nullptr.
    TouchpadSharedBlock *block() const { return status_ == BlockStatus::kAttached ? block_ : nullptr; }
    // Why a block that is there could not be attached (kRefused).
    const std::string &refusal() const { return refusal_; }

private:
    BlockStatus next_status();

    TouchpadSharedBlock *block_ = nullptr;  // stays mapped once attached; the watch remaps it
    BlockWatch watch_;
    BlockStatus status_ = BlockStatus::kMissing;
    int refused_id_ = -1;  // a segment that could not be attached, not tried again
    std::string refusal_;
};

// The words the window shows for a status other than kAttached.
std::string block_status_text(const BlockLink &link);
