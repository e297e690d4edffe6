// The trace format, made of the monitor's lines: seconds, then the finger
// state's columns in the monitor's order (x, y, z, w, f, l, r, u, d, m, the
// eight multi digits written together, x2_1 y2_1 x2_2 y2_2 x3_1 y3_1).
#pragma once

#include <time.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "finger_state.h"

struct TraceStep {
    double time;  // seconds, as printed in the first column
    FingerState state;
};

enum class TraceLine { kStep, kSkip, kBad };

// Parses one line. Column-header lines, blank lines and lines starting with
// '#' are kSkip. On kBad, *why says what is wrong.
TraceLine parse_trace_line(const char *line, TraceStep *step, const char **why);

// A whole trace as read: the states of its data lines in order, or where it
// first goes wrong.
struct TraceReading {
    std::vector<TraceStep> steps;  // the data lines before the first bad one
    long bad_line = 0;             // number of the first bad line (from 1), 0 when none
    const char *why = "";          // what is wrong with that line
};

// Reads in to its end, or up to its first bad line. Every line counts for the
// line numbers; the lines parse_trace_line skips give no step. A trace too
// large for memory throws std::bad_alloc.
TraceReading read_trace(std::FILE *in);

// The same for a file by name; false when it cannot be opened (errno says why).
bool read_trace_file(const std::string &path, TraceReading *reading);

// Sleeps on the monotonic clock until seconds after since; returns at once
// when that time has passed. A replay counts each gap from the real time of
// the write before, so that a late write delays the rest instead of squeezing
// the next state against it, where a reader polling the block would miss one.
void sleep_until_after(const struct timespec &since, double seconds);

// Sets one column of a finger state by its monitor title ("x2_1", "f",
// "multi" takes eight digits); false for an unknown title or a bad number.
bool set_finger_column(FingerState *st, const char *name, const char *value);
