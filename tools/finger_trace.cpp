#include "finger_trace.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <memory>

namespace {

bool parse_int(const char *s, int32_t *out)
{
    char *end;
    errno = 0;
    long v = strtol(s, &end, 10);
    if (end == s || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

bool parse_multi(const char *s, int32_t multi[8])
{
    if (strlen(s) != 8)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        multi[i] = s[i] - '0';
    }
    return true;
}

// The one-word columns by title.
int32_t *column(FingerState *st, const char *name)
{
    struct Col {
        const char *name;
        int32_t FingerState::*field;
    };
#define COLUMN(name, ...) {#name, &FingerState::name},
    static const Col cols[] = {FINGER_STATE_FIELDS(COLUMN, COLUMN, COLUMN, BLOCK_ROW_SKIPPED)};
#undef COLUMN
    for (const Col &c : cols)
        if (strcmp(c.name, name) == 0)
            return &(st->*c.field);
    return nullptr;
}

// The columns of a data line, in print order; "multi" stands for the group.
#define TITLE(name, ...) #name,
const char *const kLineColumns[] = {FINGER_STATE_FIELDS(TITLE, TITLE, TITLE, TITLE)};
#undef TITLE
constexpr int kLineColumnCount = sizeof kLineColumns / sizeof kLineColumns[0];

}  // namespace

bool set_finger_column(FingerState *st, const char *name, const char *value)
{
    if (strcmp(name, "multi") == 0)
        return parse_multi(value, st->multi);
    int32_t *field = column(st, name);
    return field && parse_int(value, field);
}

TraceLine parse_trace_line(const char *line, TraceStep *step, const char **why)
{
    char buf[512];
    size_t len = strlen(line);
    if (len >= sizeof buf) {
        *why = "line too long";
        return TraceLine::kBad;
    }
    memcpy(buf, line, len + 1);
    char *save = nullptr;
    char *tok = strtok_r(buf, " \t\r\n", &save);
    if (!tok || tok[0] == '#' || strcmp(tok, "time") == 0)
        return TraceLine::kSkip;

    char *end;
    errno = 0;
    step->time = strtod(tok, &end);
    if (end == tok || *end != '\0' || errno == ERANGE || !(step->time >= 0) || step->time > 1e7) {
        *why = "bad time";
        return TraceLine::kBad;
    }
    FingerState st{};
    for (int i = 0; i < kLineColumnCount; ++i) {
        tok = strtok_r(nullptr, " \t\r\n", &save);
        if (!tok) {
            *why = "too few columns (expected 18)";
            return TraceLine::kBad;
        }
        if (!set_finger_column(&st, kLineColumns[i], tok)) {
            *why =
                strcmp(kLineColumns[i], "multi") == 0 ? "multi must be eight digits" : "not a whole number";
            return TraceLine::kBad;
        }
    }
    if (strtok_r(nullptr, " \t\r\n", &save)) {
        *why = "too many columns (expected 18)";
        return TraceLine::kBad;
    }
    step->state = st;
    return TraceLine::kStep;
}

TraceReading read_trace(std::FILE *in)
{
    TraceReading reading;
    char *line = nullptr;
    size_t line_cap = 0;
    long lineno = 0;
    try {
        while (getline(&line, &line_cap, in) != -1) {
            ++lineno;
            TraceStep step;
            TraceLine kind = parse_trace_line(line, &step, &reading.why);
            if (kind == TraceLine::kSkip)
                continue;
            if (kind == TraceLine::kBad) {
                reading.bad_line = lineno;
                break;
            }
            reading.steps.push_back(step);
        }
    } catch (...) {
        free(line);
        throw;
    }
    free(line);
    return reading;
}

bool read_trace_file(const std::string &path, TraceReading *reading)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> in(fopen(path.c_str(), "r"), fclose);
    if (!in)
        return false;
    *reading = read_trace(in.get());
    return true;
}

void sleep_until_after(const struct timespec &since, double seconds)
{
    struct timespec t = since;
    double whole = std::floor(seconds);
    t.tv_sec += static_cast<time_t>(whole);
    t.tv_nsec += static_cast<long>((seconds - whole) * 1e9);
    if (t.tv_nsec >= 1000000000L) {
        t.tv_sec += 1;
        t.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}
