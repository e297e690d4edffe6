// One finger state as the block carries it: the single contact and the
// finger record that a touchpad driver writes at every report, made from
// FINGER_STATE_FIELDS (block_field_list.h). The touchpad publisher and the
// simulator write it, the engine's sampler and the monitor read it.
#pragma once

#include <cstdint>

#include "touchpad_block.h"

struct FingerState {
#define FS_WORD(name, fingers) int32_t name = 0;
#define FS_COUNT(name) int32_t name = 0;
#define FS_WORDS(name, count) int32_t name[count] = {};
    FINGER_STATE_FIELDS(FS_WORD, FS_COUNT, FS_WORD, FS_WORDS)
#undef FS_WORD
#undef FS_COUNT
#undef FS_WORDS
};
static_assert(sizeof(FingerState) == 4 * sizeof(int32_t) + sizeof(FingerRecord),
              "the finger state holds the single contact and every word of the finger record");

bool operator==(const FingerState &a, const FingerState &b);
inline bool operator!=(const FingerState &a, const FingerState &b) { return !(a == b); }

// One of the block's two finger records.
using FingerRecordField = FingerRecord TouchpadSharedBlock::*;
// The record that NewStruct makes current: OldStructFingers for 0,
// NewStructFingers for 1.
constexpr FingerRecordField finger_record(bool new_struct)
{
    return new_struct ? &TouchpadSharedBlock::NewStructFingers : &TouchpadSharedBlock::OldStructFingers;
}

// The single contact and the words of `record`, as they stand.
FingerState read_finger_state(const TouchpadSharedBlock &block, FingerRecordField record);

// Writes the single contact and every word of `record`, the finger count
// last, so that a reader that sees the new count also sees the positions
// that go with it.
void write_finger_state(TouchpadSharedBlock *block, FingerRecordField record, const FingerState &state);

// The state as a reader shows it: each position only while its finger count
// is down (x, y with one finger, the pair with two, the three-finger position
// with three), the other positions 0.
FingerState shown_finger_state(const FingerState &state);
