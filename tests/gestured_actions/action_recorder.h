// A recorder in place of XTEST, the shell, the clock and the focus title, so
// the action logic can be checked event by event and command by command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine_state.h"
#include "platform.h"

// Everything sent, one line per event or command:
//   "key+ NAME", "key- NAME", "tap NAME", "text T",
//   "click N", "button+ N", "button- N", "input? K",
//   "run COMMAND" (the command line byte for byte).
extern std::vector<std::string> recorded;
// The focused window's title, or none.
extern bool recorder_has_title;
extern std::string recorder_title;
// The fake clock (milliseconds).
extern int64_t recorder_now_ms;

// The engine state the recorded actions run on, owned by the recorder.
extern EngineShared engine;

// The recorder as the engine's platform.
extern const EnginePlatform recorder_platform;

// Clears the log, the title, the clock and the engine's shared state.
void use_recorder();
