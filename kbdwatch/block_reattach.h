// Noticing that the touchpad block was removed and created again (the driver
// or the X server restarted), and attaching the new one.
#pragma once

#include "touchpad_block.h"

struct AttachedBlock {
    TouchpadSharedBlock *base;
    int id;          // the segment it was attached from
    int refused_id;  // another user's segment, refused once already
};

// Remembers which segment `base` (just attached) came from.
AttachedBlock remember_attached_block(TouchpadSharedBlock *base);

// One lookup of the block's key. When it names another usable segment
// (look_at_block), attaches that one into `block` and returns the old mapping
// (still attached, for the caller to finish with and detach); otherwise
// returns nullptr and keeps the old one. Another user's segment is refused
// with the attach routine's message, once.
TouchpadSharedBlock *attach_if_recreated(AttachedBlock &block);
