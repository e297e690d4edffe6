// The touchpad's shared block: the one record the driver publishes and every
// program of the suite attaches. Native i386 layout: int32 fields, doubles on
// 4-byte boundaries, 556 bytes in all. The fields, with the offsets the
// layout fixes, are listed once in block_field_list.h; the structs below are
// made from that list and checked against it.
#pragma once

#include <sys/shm.h>

#include <cstddef>
#include <cstdint>

#include "block_field_list.h"
#include "block_trust.h"

constexpr int kTouchpadShmKey = 29947;
constexpr std::size_t kTouchpadShmSize = 556;

#pragma pack(push, 4)

// Finger record (80 bytes); the block holds it twice and NewStruct says which
// copy is current.
struct FingerRecord {
#define TPB_WORD(record, name, offset) int32_t name;
#define TPB_WORDS(record, name, offset, count) int32_t name[count];
    FINGER_RECORD_FIELDS(TPB_WORD, TPB_WORDS, FingerRecord)
#undef TPB_WORD
#undef TPB_WORDS
};

struct TouchpadSharedBlock {
#define TPB_FIELD(name, kind, offset, fresh) BlockFieldStorage<kind>::type name;
#define TPB_FINGERS(name, offset) FingerRecord name;
#define TPB_RESERVED(name, offset) int32_t name;
    TOUCHPAD_BLOCK_FIELDS(TPB_FIELD, TPB_FIELD, TPB_FINGERS, TPB_RESERVED)
#undef TPB_FIELD
#undef TPB_FINGERS
#undef TPB_RESERVED
};

#pragma pack(pop)

// Every field where the layout fixes it, and nothing after the last one.
#define TPB_AT(name, offset) \
    static_assert(offsetof(TouchpadSharedBlock, name) == (offset), #name " at " #offset);
#define TPB_FIELD_AT(name, kind, offset, fresh) TPB_AT(name, offset)
TOUCHPAD_BLOCK_FIELDS(TPB_FIELD_AT, TPB_FIELD_AT, TPB_AT, TPB_AT)
#undef TPB_FIELD_AT
#undef TPB_AT
#define TPB_WORD_AT(record, name, offset) \
    static_assert(offsetof(record, name) == (offset), #name " at " #offset);
#define TPB_WORDS_AT(record, name, offset, count) TPB_WORD_AT(record, name, offset)
FINGER_RECORD_FIELDS(TPB_WORD_AT, TPB_WORDS_AT, FingerRecord)
#undef TPB_WORD_AT
#undef TPB_WORDS_AT
static_assert(sizeof(FingerRecord) == 80, "finger record is 80 bytes");
static_assert(sizeof(TouchpadSharedBlock) == kTouchpadShmSize, "block is 556 bytes");

// Each field's kind by name, for the tables that pick fields by name.
namespace block_field_kind {
#define TPB_KIND(name, kind, offset, fresh) constexpr BlockFieldKind name = kind;
TOUCHPAD_BLOCK_FIELDS(TPB_KIND, TPB_KIND, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef TPB_KIND
}  // namespace block_field_kind

// What stands under the block's key, as the attach routine judges it.
enum class BlockLook {
    kUsable,     // the block's size, and trusted (block_trust.h)
    kMissing,    // no segment
    kWrongSize,  // a segment of another size
    kNoAccess,   // cannot be read or attached by this user (error says why)
    kUntrusted,  // made by, or given to, a user who is not trusted
};

struct BlockSeen {
    int id = -1;
    struct shmid_ds ds {};  // after kUntrusted and kUsable
    int error = 0;          // after kNoAccess
};

// One look at the key, never creating anything; trusted as block_trust.h
// says, with served.
BlockLook look_at_block(BlockSeen *seen, uid_t served = kNoServedUser);

// Looks the block up (never creating it) and attaches it read-write. On
// failure the reason has already been written to standard error and the
// result is nullptr; each caller picks its own exit status or retry, and
// *why (when given) says which failure it was.
TouchpadSharedBlock *attach_shared_block(BlockLook *why = nullptr);

// For the daemons: attach_shared_block, except that a block of another user
// is waited out rather than given up on. Its refusal is written once, with
// "<program>: waiting for a touchpad block of your own", and the key is
// looked at again after each call of wait(ctx) for as long as it names such a
// block or, after one, none at all. *waited (when given) says whether it had
// to wait. Every other failure ends it as attach_shared_block's do.
TouchpadSharedBlock *attach_own_block(const char *program, void (*wait)(void *ctx), void *ctx,
                                      bool *waited = nullptr);

// Field access by byte offset, for the table-driven programs. The offsets come
// from constant tables checked against the layout above.
int32_t block_get_int(const void *block, int offset);
void block_set_int(void *block, int offset, int32_t value);
double block_get_double(const void *block, int offset);
void block_set_double(void *block, int offset, double value);
