// One copy of each daemon per user and X display.
//
// A daemon takes an exclusive flock on a file named for itself and its
// display, in the user's runtime directory. The kernel drops the lock with
// the process's last descriptor of the file, so a copy that crashed or was
// killed never leaves a stale lock behind. The file holds the pid of the
// copy that runs, for the message of a second copy.
#pragma once

#include <sys/types.h>

#include <cstddef>

// Exit status of a second copy. No program of the suite uses it otherwise.
constexpr int kAlreadyRunningStatus = 4;

constexpr int kLockPathMax = 512;

enum class LockResult {
    kTaken,          // this process holds the lock
    kHeldElsewhere,  // another process holds it; see holder
    kUnavailable,    // no usable directory or file (errno says why)
};

struct InstanceLock {
    int fd = -1;
    char path[kLockPathMax] = {};
    pid_t holder = 0;  // after kHeldElsewhere: the pid in the file, 0 when unknown
};

// The folder for lock files: $XDG_RUNTIME_DIR when it is an absolute path to
// a folder of ours that nobody else may write, else /tmp/vorell-UID, created
// with mode 0700 if missing and refused when it is not a folder of ours.
// false (errno set) when neither can be used.
bool instance_lock_dir(char *out, size_t cap);

// The part of a display name that tells X servers apart: the screen number
// goes (":0.0" is ":0"), "unix:N" is ":N", and '/' becomes '_'.
void instance_display_key(const char *display, char *out, size_t cap);

// Takes the lock for program on display (non-blocking). The descriptor is
// close-on-exec: commands the daemon starts never inherit the lock.
LockResult instance_lock_take(InstanceLock *lock, const char *program, const char *display);

// Rewrites the pid in the lock file: for a daemon that forked after taking
// the lock (the child keeps the lock, the pid changed).
void instance_lock_note_pid(const InstanceLock *lock);

// What the daemons call at start, once their display is open: takes the lock,
// or prints "<program>: already running on display <D> (pid <N>)" and exits
// with kAlreadyRunningStatus. When no lock file can be used, it says so and
// returns, and the daemon runs unguarded.
void instance_lock_or_exit(InstanceLock *lock, const char *program, const char *display);
