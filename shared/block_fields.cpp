#include "block_fields.h"

#include <strings.h>

#include <cstddef>

#include "touchpad_block.h"

#define FIELD_ROW(name, kind, offset, fresh) \
    {#name, static_cast<int>(offsetof(TouchpadSharedBlock, name)), kind},
#define WORD_ROW(record, name, offset) \
    {#record "." #name,                \
     static_cast<int>(offsetof(TouchpadSharedBlock, record) + offsetof(FingerRecord, name)), kBlockInt},
#define ITEM_ROW(record, name, i)                                                            \
    {#record "." #name "[" #i "]",                                                           \
     static_cast<int>(offsetof(TouchpadSharedBlock, record) + offsetof(FingerRecord, name) + \
                      sizeof(int32_t) * (i)),                                                \
     kBlockInt},
// An array's words one by one, as NAME[0] to NAME[count - 1].
// clang-format off
#define ITEM_ROWS_8(record, name)                                   \
    ITEM_ROW(record, name, 0) ITEM_ROW(record, name, 1)             \
    ITEM_ROW(record, name, 2) ITEM_ROW(record, name, 3)             \
    ITEM_ROW(record, name, 4) ITEM_ROW(record, name, 5)             \
    ITEM_ROW(record, name, 6) ITEM_ROW(record, name, 7)
// clang-format on
#define WORDS_ROWS(record, name, offset, count) ITEM_ROWS_##count(record, name)
#define FINGER_ROWS(record, offset) FINGER_RECORD_FIELDS(WORD_ROW, WORDS_ROWS, record)

const BlockField kBlockFields[] = {
    TOUCHPAD_BLOCK_FIELDS(FIELD_ROW, FIELD_ROW, FINGER_ROWS, BLOCK_ROW_SKIPPED){nullptr, 0, kBlockInt},
};

#undef FIELD_ROW
#undef WORD_ROW
#undef ITEM_ROW
#undef ITEM_ROWS_8
#undef WORDS_ROWS
#undef FINGER_ROWS

const BlockField *find_block_field(const char *name)
{
    for (const BlockField *f = kBlockFields; f->name; ++f)
        if (strcasecmp(f->name, name) == 0)
            return f;
    return nullptr;
}
