// The daemon's pid file.
#pragma once

#include <sys/types.h>

// Creates (or truncates) `path` with mode 0644 whatever the umask, refusing a
// symbolic link at that name, and writes "pid\n". Returns false with errno set
// on failure.
bool write_pid_file(const char *path, pid_t pid);
