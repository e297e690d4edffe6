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

// Parses a whole recording. On a malformed line it returns false and sets
// error to "<file>:<line>: expected <what>" (file as given), leaving nothing
// half-made for the caller to act on.
bool parse_recording(const char *text, std::size_t length, const std::string &file, Recording *out,
                     std::string *error);
// Reads and parses a file; a file that cannot be read is an error too.
bool read_recording(const std::string &path, Recording *out, std::string *error);

// The header lines (ending in a newline) describing a device.
std::string format_header(const PadDescription &description);
// One "E:" line with its newline.
std::string format_event(const PadEvent &event);
