#include "block_defaults.h"

#include <cstring>

#include "touchpad_block.h"

void fill_default_block(void *mem)
{
    memset(mem, 0, kTouchpadShmSize);
    TouchpadSharedBlock b{};
#define FRESH_VALUE(name, kind, offset, fresh) b.name = fresh;
    TOUCHPAD_BLOCK_FIELDS(FRESH_VALUE, FRESH_VALUE, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef FRESH_VALUE
    memcpy(mem, &b, sizeof b);
}
