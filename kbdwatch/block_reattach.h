// Noticing that the touchpad block was removed and created again (the driver
// or the X server restarted), and attaching the new one.
#pragma once

#include "touchpad_block.h"

struct AttachedBlock {
    TouchpadSharedBlock *base;
    int id;  // the segment it was attached from
};

// Remembers which segment `base` (just attached) came from.
AttachedBlock remember_attached_block(TouchpadSharedBlock *base);

// One lookup of the block's key. When it names another segment of the
// block's size, attaches that one into `block` and returns the old mapping
// (still attached, for the caller to finish with and detach); otherwise
// returns nullptr and changes nothing.
TouchpadSharedBlock *attach_if_recreated(AttachedBlock &block);
