// vorellpad's command line.
#pragma once

#include <string>

enum PadExit {
    kExitOk = 0,
    kExitUsage = 1,
    kExitRecording = 2,  // recording unreadable or malformed, or cannot be written
    kExitBlock = 3,      // block held by another program, or cannot be made
    kExitDevice = 4,     // no touchpad found, or the device cannot be read
};

struct PadOptions {
    std::string device;  // --device PATH
    std::string record;  // --record FILE
    std::string replay;  // --replay FILE
    std::string user;    // --user NAME
};

extern const char kPadUsage[];

// False with a message (ending in a newline) on a usage error. --help and
// --version are answered before (long_options.h).
bool parse_options(int argc, char **argv, PadOptions *out, std::string *error);
