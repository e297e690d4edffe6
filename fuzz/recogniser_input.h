// The byte layout of a recogniser fuzz input, shared by the fuzz target
// (which decodes it) and the seed maker (which encodes recorded traces).
//
// An input is the settings, then a stream of operations:
//   settings   one value per snapshot field, in kSnapshotFields order
//   operation  an op byte, then its operands:
//     kOpSample   dt (ms since the last sample), f, buttons (bit 0 l, 1 r,
//                 2 m, 3 u, 4 d), z, w, then the positions that f selects,
//                 as the sampler fills a record: x y for 1 finger, x2_1 y2_1
//                 x2_2 y2_2 for 2, x3_1 y3_1 for 3, none otherwise
//     kOpSetting  field index, value: one setting changes (TouchpadOff too)
//     kOpThread   what another engine thread does to the shared words
//     kOpDrain    the action thread takes every queued entry
//     kOpClock    the clock jumps by a signed amount
//
// Two widths: the realistic layout draws every value from what a pad and
// the parameter clients produce (positions of 13 or 10 bits, settings within
// their clamped ranges, one-byte times); the full-range layout takes every
// field, setting and time step as a raw 32-bit value.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "byte_reader.h"
#include "engine_state.h"

enum RecogniserOp : uint8_t {
    kOpSample = 0,
    kOpSetting = 1,
    kOpThread = 2,
    kOpDrain = 3,
    kOpClock = 4,
    kOpCount = 5,
};

// What the other threads do to the words the recogniser reads.
enum ThreadEvent : uint8_t {
    kDragThreadTookTap,   // the drag logic resolved a tap: tap words back to 0
    kDragLockOn,          // drag_active 1 (a drag began)
    kDragLockOff,         // the drag ended: drag words back to 0
    kScrollStepArmed,     // the action thread's arming scroll step: scroll_active 1
    kScrollStepDisarmed,  // scroll_active 0
    kAutoScrollStarted,   // autoscroll_running 1
    kAutoScrollStopped,   // autoscroll_running 0, scroll_active 0
    kThreadEventCount,
};

struct SnapshotField {
    const char *name;
    std::atomic<int32_t> SettingsSnapshot::*member;  // null for DragSlider
    int32_t lo, hi;                                  // realistic range
};

constexpr int kSnapshotFieldCount = 37;
static_assert(kSnapshotFieldCount == kSettingsSnapshotMembers,
              "the settings part of an input gives every snapshot member a value");
// The snapshot's fields with the ranges the parameter clients clamp to
// (0..1 for the watchers' detection flags).
const SnapshotField *snapshot_fields();

struct FuzzSample {
    int32_t dt_ms;
    SampleRecord rec;
};

// Decoding, for the target.
void read_settings(ByteReader &in, bool wide, SettingsSnapshot &snap);
void read_setting(ByteReader &in, bool wide, SettingsSnapshot &snap);
void read_sample(ByteReader &in, bool wide, FuzzSample &s);

// Encoding, for the seed maker: the inverse of the readers above for values
// inside the layout's ranges.
void write_settings(std::string &out, bool wide, const SettingsSnapshot &snap);
void write_sample(std::string &out, bool wide, const FuzzSample &s);
