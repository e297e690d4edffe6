// Touchpad recordings in the evemu text format: "N:" name, "I:" ids, "P:"
// property bytes, "B:" event-code bytes, "A:" axes (code min max fuzz flat,
// and a resolution in newer recordings), then "E: seconds.micros type code
// value" events. The header is optional: without it the axes' ranges are
// taken from the values the events carry.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "pad_description.h"

struct Recording {
    PadDescription description;
    bool has_header = false;
    std::vector<PadEvent> events;
};

// How much a recording may hold: far more than minutes of a busy pad, far
// less than what would exhaust the memory of the machine replaying it.
struct RecordingLimits {
    std::size_t max_bytes = std::size_t{64} << 20;
    std::size_t max_lines = 2000000;
};

// Parses a whole recording. On a malformed line it returns false and sets
// error to "<file>:<line>: expected <what>" (file as given), leaving nothing
// half-made for the caller to act on. A text of more lines than the limit
// is refused at the first line beyond it.
bool parse_recording(const char *text, std::size_t length, const std::string &file, Recording *out,
                     std::string *error, const RecordingLimits &limits = RecordingLimits{});
// Reads and parses a file. A file that cannot be read, a folder, a device
// and anything longer than the limit are errors too, each with its reason;
// a pipe is read up to the limit.
bool read_recording(const std::string &path, Recording *out, std::string *error,
                    const RecordingLimits &limits = RecordingLimits{});

// The header lines (ending in a newline) describing a device.
std::string format_header(const PadDescription &description);
// One "E:" line with its newline.
std::string format_event(const PadEvent &event);
