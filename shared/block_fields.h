// Every named field of the shared block, by name: the header, the single
// contact, both finger records (as OldStructFingers.f, NewStructFingers.x2_1,
// ...) and every parameter. Used by the touchpad simulator and the tests to
// read and write fields by name.
#pragma once

#include "block_field_list.h"

struct BlockField {
    const char *name;
    int offset;
    BlockFieldKind type;
};

// Ended by a row whose name is null.
extern const BlockField kBlockFields[];

// Case-insensitive lookup; nullptr when no field has that name.
const BlockField *find_block_field(const char *name);
