#include "corpus_table.h"

#include <algorithm>

int CorpusRow::false_gestures() const
{
    Words left = expected;
    int extra = 0;
    for (const std::string &w : got) {
        auto it = std::find(left.begin(), left.end(), w);
        if (it == left.end())
            ++extra;
        else
            left.erase(it);
    }
    return extra;
}

void CorpusTable::add(const CorpusRow &row) { rows_.push_back(row); }

bool CorpusTable::print(FILE *out) const
{
    size_t name_width = 9, expected_width = 8;
    for (const CorpusRow &r : rows_) {
        name_width = std::max(name_width, r.recording.size());
        expected_width = std::max(expected_width, join(r.expected).size());
    }
    const int nw = static_cast<int>(name_width), ew = static_cast<int>(expected_width);
    fprintf(out, "%-*s  %-*s  %-5s  %s\n", nw, "recording", ew, "expected", "", "got");
    int right = 0, false_gestures = 0;
    for (const CorpusRow &r : rows_) {
        right += r.right();
        false_gestures += r.false_gestures();
        fprintf(out, "%-*s  %-*s  %-5s  %s\n", nw, r.recording.c_str(), ew, join(r.expected).c_str(),
                r.right() ? "right" : "WRONG", join(r.got).c_str());
    }
    const size_t total = rows_.size();
    fprintf(out, "accuracy: %d/%zu (%.1f%%)\nfalse gestures: %d\n", right, total,
            total ? 100.0 * right / static_cast<double>(total) : 100.0, false_gestures);
    return right == static_cast<int>(total) && false_gestures == 0;
}
