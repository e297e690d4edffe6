// The daemon's pid file.
#pragma once

#include <sys/types.h>

// Why what stands at a pid file's name is not used.
enum class PidFileRefusal {
    kNotRefused,
    kSymbolicLink,  // a link could send the write anywhere
    kNotRegular,    // a FIFO would block the daemon, a device or folder is not ours to write
    kOtherOwner,    // a file someone else made (and could still read or replace)
    kExtraLinks,    // a hard link to a file elsewhere
};

// " is a symbolic link" and so on, to follow the name in a message.
const char *pid_file_refusal_text(PidFileRefusal refusal);

// Judges what stands at `path` without opening it or following a link:
// kNotRefused when nothing does or when it is a regular file of the effective user
// with no other link. A name that cannot be examined for another reason is
// kNotRefused too: creating the file reports that error.
PidFileRefusal check_pid_file_path(const char *path);

// Creates `path`, or reuses a file that check_pid_file_path accepts, with
// mode 0644 whatever the umask, and writes "pid\n". The open neither blocks
// nor follows a link. On failure returns false with *refusal saying why,
// or with *refusal kNotRefused and errno set for a system error.
bool write_pid_file(const char *path, pid_t pid, PidFileRefusal *refusal);
