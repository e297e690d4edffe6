// The simulator's trace parser. Every line of the input is parsed; a line
// that parses is put into a block as tpsim would, printed back by the
// monitor and parsed again, and must come back the same (the positions that
// its finger count selects, the rest of the record, the time to the
// monitor's millisecond). A refused line must say why.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "finger_trace.h"
#include "monitor.h"
#include "touchpad_block.h"

namespace {

[[noreturn]] void fail(const char *what, const std::string &line, const std::string &printed)
{
    fprintf(stderr, "trace line %s:\n  in:  [%s]\n  out: [%s]\n", what, line.c_str(), printed.c_str());
    abort();
}

// The monitor prints only the positions that the finger count shows.
bool same_state(const FingerState &a, const FingerState &b)
{
    return shown_finger_state(a) == shown_finger_state(b);
}

void round_trip(const std::string &line, const TraceStep &step)
{
    static TouchpadSharedBlock block;
    memset(&block, 0, sizeof block);
    block.NewStruct = 1;
    write_finger_state(&block, &TouchpadSharedBlock::NewStructFingers, step.state);

    char *text = nullptr;
    size_t length = 0;
    FILE *out = open_memstream(&text, &length);
    MonitorState monitor;
    monitor_init(&monitor, true, 0.0);
    monitor_cycle(&monitor, block, step.time, out);
    fclose(out);
    std::string printed(text, length);
    free(text);

    // The header, then the data line.
    size_t nl = printed.find('\n');
    std::string data = nl == std::string::npos ? "" : printed.substr(nl + 1);
    TraceStep again;
    const char *why = nullptr;
    if (parse_trace_line(data.c_str(), &again, &why) != TraceLine::kStep)
        fail("printed by the monitor does not parse", line, data);
    if (!same_state(step.state, again.state))
        fail("changes on the way through the monitor", line, data);
    if (std::fabs(again.time - step.time) > 0.0005 + 1e-9 + step.time * 1e-12)
        fail("time changes on the way through the monitor", line, data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        // As tpsim reads it: one line at a time, up to a NUL.
        std::string line = text.substr(start, end - start).c_str();
        start = end + 1;

        TraceStep step;
        const char *why = nullptr;
        switch (parse_trace_line(line.c_str(), &step, &why)) {
        case TraceLine::kBad:
            if (!why || !*why)
                fail("refused without a reason", line, "");
            break;
        case TraceLine::kSkip: break;
        case TraceLine::kStep:
            if (!(step.time >= 0 && step.time <= 1e7))
                fail("has a time out of range", line, "");
            for (int32_t d : step.state.multi)
                if (d < 0 || d > 9)
                    fail("has a multi digit out of range", line, "");
            round_trip(line, step);
            break;
        }
    }
    return 0;
}
