#include "finger_state.h"

#include <cstring>

namespace {

// Through a volatile word: another process reads the block while it is
// written.
void store(int32_t *word, int32_t value)
{
    volatile int32_t *shared = word;
    *shared = value;
}

}  // namespace

bool operator==(const FingerState &a, const FingerState &b) { return memcmp(&a, &b, sizeof a) == 0; }

FingerState read_finger_state(const TouchpadSharedBlock &block, FingerRecordField record)
{
    const FingerRecord &r = block.*record;
    FingerState s;
#define READ_CONTACT(name, fingers) s.name = block.name;
#define READ_COUNT(name) s.name = r.name;
#define READ_WORD(name, fingers) s.name = r.name;
#define READ_WORDS(name, count) memcpy(s.name, r.name, sizeof s.name);
    FINGER_STATE_FIELDS(READ_CONTACT, READ_COUNT, READ_WORD, READ_WORDS)
#undef READ_CONTACT
#undef READ_COUNT
#undef READ_WORD
#undef READ_WORDS
    return s;
}

void write_finger_state(TouchpadSharedBlock *block, FingerRecordField record, const FingerState &state)
{
    FingerRecord &r = block->*record;
#define WRITE_CONTACT(name, fingers) store(&block->name, state.name);
#define WRITE_WORD(name, fingers) store(&r.name, state.name);
#define WRITE_WORDS(name, count)      \
    for (int i = 0; i < (count); ++i) \
        store(&r.name[i], state.name[i]);
    FINGER_STATE_FIELDS(WRITE_CONTACT, BLOCK_ROW_SKIPPED, WRITE_WORD, WRITE_WORDS)
#undef WRITE_CONTACT
#undef WRITE_WORD
#undef WRITE_WORDS
    // The count with release order: every word above is written before it.
#define WRITE_COUNT(name) __atomic_store_n(&r.name, state.name, __ATOMIC_RELEASE);
    FINGER_STATE_FIELDS(BLOCK_ROW_SKIPPED, WRITE_COUNT, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef WRITE_COUNT
}

FingerState shown_finger_state(const FingerState &state)
{
    FingerState s = state;
#define HIDE(name, fingers)                     \
    if ((fingers) != 0 && (fingers) != state.f) \
        s.name = 0;
    FINGER_STATE_FIELDS(HIDE, BLOCK_ROW_SKIPPED, HIDE, BLOCK_ROW_SKIPPED)
#undef HIDE
    return s;
}
