// The corpus' verdict: one row per recording (expected, got, right or
// wrong), then the accuracy and the false gestures: what came out although
// the recording did not ask for it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "gesture_words.h"

struct CorpusRow {
    std::string recording;
    Words expected, got;
    bool right() const { return expected == got; }
    // Gestures got beyond what was expected (each word counted once per
    // place it appears).
    int false_gestures() const;
};

class CorpusTable {
public:
    void add(const CorpusRow &row);
    // Prints the rows and the closing lines; true when every row is right.
    bool print(FILE *out) const;

private:
    std::vector<CorpusRow> rows_;
};
