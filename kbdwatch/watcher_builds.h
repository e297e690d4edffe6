// The five builds of the key-activity watcher. One source, kbdwatch_main.cpp,
// is compiled once per row of kWatcherBuilds; the row picks the flag written,
// the release-delay field read, the keys that never count as typing, and
// whether the build waits while a key is down.
#pragma once

#include <cstdint>

#include "parameter_descriptor.h"

struct WatcherBuild {
    const char *program;
    // The build's flag as a one-row parameter table (type boolean, range 0
    // to 1) followed by the end row. Only the offset is used.
    ParameterDescriptor flag[2];
    int32_t delay_offset;  // release delay in tenths of a second
    int exempt_count;      // 15: every exempt key; 8: the modifiers only
    bool wait_while_down;  // after a key-down reading, read again one release wait later at the soonest
};

enum WatcherBuildIndex {
    kWatchPalmtrack,
    kWatchCovergesture,
    kWatchKbd,
    kWatchTap,
    kWatchGesture,
    kWatcherBuildCount
};

extern const WatcherBuild kWatcherBuilds[kWatcherBuildCount];
static_assert(kWatcherBuildCount == KBDWATCH_BUILD_COUNT, "one row for each watcher of the build's list");

// One exempt-key test: key byte `byte` equal to `value` as a whole.
struct ExemptKey {
    uint8_t byte;
    uint8_t value;
};

constexpr int kExemptKeyCount = 15;
constexpr int kModifierExemptCount = 8;
extern const ExemptKey kExemptKeys[kExemptKeyCount];
