// One copy of each daemon per user and X server.
//
// A daemon takes an exclusive flock on a file named for itself and its X
// server, in the user's run-time folder. The kernel drops the lock with the
// process's last descriptor of the file, so a copy that crashed or was
// killed never leaves a stale lock behind. The file holds the pid of the
// copy that runs, for the message of a second copy.
//
// Both names are the same however the session was started: the folder is
// derived from the uid alone (never from $XDG_RUNTIME_DIR, which differs
// between a terminal, su and the user manager), and the server is named by
// the socket its connection reaches, not by how $DISPLAY spells it.
// vorell-session keeps its pid files under the same folder by the same rule.
#pragma once

#include <sys/types.h>

#include <cstddef>

// Exit status of a second copy. No program of the suite uses it otherwise.
constexpr int kAlreadyRunningStatus = 4;

constexpr int kLockPathMax = 512;

// How many folders under /tmp are tried: /tmp/vorell-UID, then .1 to .9.
constexpr int kTmpFolderTries = 10;

enum class LockResult {
    kTaken,          // this process holds the lock
    kHeldElsewhere,  // another process holds it; see holder
    kUnavailable,    // no usable folder or file (errno says why)
};

struct InstanceLock {
    int fd = -1;
    char path[kLockPathMax] = {};
    char server[128] = {};  // the server's name in messages (instance_server_key)
    pid_t holder = 0;       // after kHeldElsewhere: the pid in the file, 0 when unknown
};

// The user's run-time folder: /run/user/UID when it is a folder of ours with
// mode 0700 and not a link; otherwise the first of /tmp/vorell-UID,
// /tmp/vorell-UID.1 ... .9 that is such a folder or can be made one (another
// user may have planted the first names; /tmp itself must be root's and
// sticky, so that nobody else can swap a folder of ours). When program is
// given, each folder passed over is named on standard error. false (errno
// set) when none can be used.
bool instance_lock_dir(char *out, size_t cap, const char *program = nullptr);

// A display name with only what tells X servers apart: "unix" and the screen
// number go and the display number loses its leading zeros (":01.0",
// "unix:1" and ":1" are ":1"), and '/' becomes '_'.
void instance_display_key(const char *display, char *out, size_t cap);

// The X server reached through connection (the display's socket), as
// ":N" for a server of this machine, whatever the spelling of display
// (a path, "unix:", a loopback or own address over TCP); a remote server is
// "ADDRESS:N". Without a socket to ask, instance_display_key(display).
void instance_server_key(const char *display, int connection, char *out, size_t cap);

// A file of program's copy on server (instance_server_key) in the user's
// run-time folder: ".lock" for the lock itself, other suffixes for the files
// kept beside it, which other programs of the suite find by the same name.
// False (errno set) when there is no folder or the name does not fit.
bool instance_file_path(const char *program, const char *server, const char *suffix, char *out, size_t cap);

// gestured's last recognised gesture, one line in the file with this suffix
// beside its lock, for the settings window.
constexpr char kLastGestureSuffix[] = ".last-gesture";

// Takes the lock for program on the server (non-blocking); connection as
// above, or -1 to go by the display name alone. The descriptor is
// close-on-exec: commands the daemon starts never inherit the lock.
LockResult instance_lock_take(InstanceLock *lock, const char *program, const char *display,
                              int connection = -1);

// A file of the lock's holder beside the lock, in the same private folder:
// the lock's path with its ".lock" replaced by suffix. False when the lock
// has no path yet or the result does not fit.
bool instance_lock_sibling(const InstanceLock *lock, const char *suffix, char *out, size_t cap);

// Rewrites the pid in the lock file: for a daemon that forked after taking
// the lock (the child keeps the lock, the pid changed).
void instance_lock_note_pid(const InstanceLock *lock);

// What the daemons call at start, once their display is open: takes the lock,
// or prints "<program>: already running on display <D> (pid <N>)" and exits
// with kAlreadyRunningStatus. When no lock file can be used it says so and
// returns false: the daemon does not run unguarded.
bool instance_lock_or_exit(InstanceLock *lock, const char *program, const char *display, int connection);
