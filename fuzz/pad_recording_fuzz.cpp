// libFuzzer target: the touchpad recording parser, and the translation core
// over whatever the parser accepts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pad_translator.h"
#include "recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Recording rec;
    std::string error;
    if (!parse_recording(reinterpret_cast<const char *>(data), size, "fuzz.evemu", &rec, &error))
        return 0;
    PadTranslator pad(rec.description);
    for (const PadEvent &e : rec.events)
        pad.feed(e);
    pad.lift_all();
    std::string text = format_header(rec.description);
    for (const PadEvent &e : rec.events)
        text += format_event(e);
    Recording again;
    if (!parse_recording(text.data(), text.size(), "again.evemu", &again, &error))
        __builtin_trap();  // what we write must read back
    return 0;
}
