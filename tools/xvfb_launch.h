// Starts a private Xvfb on a display number the server picks itself, for the
// tests, the benchmarks and the demo tools.
#pragma once

#include <sys/types.h>

#include <string>

// Returns ":N" and sets *pid to the server's process, or returns "" when the
// server did not come up within 20 s (it is then killed and reaped).
std::string launch_xvfb(pid_t *pid);
