// The driver parameters as the engine found them, kept in a small private
// file while it runs (beside its single-instance lock), so that they outlive
// the engine: after a crash or SIGKILL the release step, or the next start,
// still knows the user's values under the engine's drag-time ones.
//
// The file is text: "block ID" (the segment the values were read from), then
// one "NAME=VALUE" line per parameter.
#pragma once

#include <cstdint>
#include <string>

struct SavedParameter {
    const char *name;
    int32_t value;
    bool present;  // after parse_saved_parameters: the file had a line for it
};

std::string format_saved_parameters(int block_id, const SavedParameter *parameters, int count);

// Fills the value and presence of each of parameters (matched by name) and
// *block_id; false for a text that is not of the form above (nothing to
// trust then). Names it does not know are passed over.
bool parse_saved_parameters(const std::string &text, int *block_id, SavedParameter *parameters, int count);

// Writes text to path through a new temporary file beside it (mode 0600,
// made exclusively) renamed over path, so a reader sees the old file or the
// new one and no link at path is followed. False (errno set) on failure.
bool write_private_file(const std::string &path, const std::string &text);

// Reads path when it is a regular file of this user, opened without
// following a link and without blocking; at most 4 KiB. False otherwise.
bool read_private_file(const std::string &path, std::string *text);
