// Starts a private Xvfb on a display number the server picks itself, for the
// tests, the benchmarks and the demo tools.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Returns ":N" and sets *pid to the server's process, or returns "" when the
// server did not come up within 20 s (it is then killed and reaped). The
// server does not reset when its last client leaves (a client that connects
// during a reset is refused), and takes extra_args after its own.
std::string launch_xvfb(pid_t *pid, const std::vector<std::string> &extra_args = {});
