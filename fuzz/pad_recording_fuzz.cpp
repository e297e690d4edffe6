// libFuzzer target: the touchpad recording parser, and the translation core
// over whatever the parser accepts, replayed as vorellpad replays it (with
// the waits for landing fingers between reports). Each recording is
// replayed a second time with its position axes stretched over the whole
// 32-bit range (values scaled with them, one unit per millimetre), which a
// broken recording may claim: positions there must saturate, never wrap
// (UBSan, built in, catches any signed overflow). The dictionary
// (fuzz/pad_recording.dict) and a committed seed make such axes likely in
// the first replay too.
#include <linux/input.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "pad_translator.h"
#include "recording.h"

namespace {

void replay(const Recording &rec)
{
    PadTranslator pad(rec.description);
    int64_t frame = rec.events.empty() ? 0 : rec.events.front().time_us;
    for (const PadEvent &e : rec.events) {
        if (e.time_us > frame) {
            for (int64_t at = pad.next_change_us(); at >= 0 && at < e.time_us; at = pad.next_change_us())
                pad.tick(at);
            frame = e.time_us;
        }
        pad.feed(e);
    }
    pad.lift_all();
}

// The recording with every position axis spread over the 32-bit range.
Recording widened(Recording rec)
{
    int64_t scale[kPadAbsCount] = {};
    for (int code : {ABS_X, ABS_Y, ABS_MT_POSITION_X, ABS_MT_POSITION_Y}) {
        PadAxis &a = rec.description.abs[code];
        const int64_t reach =
            std::max<int64_t>(std::max<int64_t>(std::llabs(a.minimum), std::llabs(a.maximum)), 1);
        scale[code] = std::numeric_limits<int32_t>::max() / reach;
        a.minimum = std::numeric_limits<int32_t>::min();
        a.maximum = std::numeric_limits<int32_t>::max();
        a.resolution = 1;
        a.present = true;
    }
    for (PadEvent &e : rec.events)
        if (e.type == EV_ABS && scale[e.code] != 0) {
            const int64_t v = e.value * scale[e.code];
            e.value = static_cast<int32_t>(
                std::min<int64_t>(std::max<int64_t>(v, std::numeric_limits<int32_t>::min()),
                                  std::numeric_limits<int32_t>::max()));
        }
    return rec;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Recording rec;
    std::string error;
    if (!parse_recording(reinterpret_cast<const char *>(data), size, "fuzz.evemu", &rec, &error))
        return 0;
    replay(rec);
    replay(widened(rec));
    std::string text = format_header(rec.description);
    for (const PadEvent &e : rec.events)
        text += format_event(e);
    Recording again;
    if (!parse_recording(text.data(), text.size(), "again.evemu", &again, &error))
        __builtin_trap();  // what we write must read back
    return 0;
}
