// A finger state as the monitor prints it, and the trace format built from
// those lines: seconds, x, y, z, w, f, l, r, u, d, m, the eight multi digits
// written together, then x2_1 y2_1 x2_2 y2_2 x3_1 y3_1.
#pragma once

#include <cstdint>
#include <cstdio>

struct FingerState {
    int32_t x, y, z, w;
    int32_t f, l, r, u, d, m;
    int32_t multi[8];
    int32_t x2_1, y2_1, x2_2, y2_2, x3_1, y3_1;
};

struct TraceStep {
    double time;  // seconds, as printed in the first column
    FingerState state;
};

enum class TraceLine { kStep, kSkip, kBad };

// Parses one line. Column-header lines, blank lines and lines starting with
// '#' are kSkip. On kBad, *why says what is wrong.
TraceLine parse_trace_line(const char *line, TraceStep *step, const char **why);

// Sets one column of a finger state by its monitor title ("x2_1", "f",
// "multi" takes eight digits); false for an unknown title or a bad number.
bool set_finger_column(FingerState *st, const char *name, const char *value);

// Writes the state into the block: the single contact, then every field of
// the finger record chosen by use_new, the finger count last so that a reader
// never sees a new count with old positions.
void write_finger_state(void *block, const FingerState &st, bool use_new);
