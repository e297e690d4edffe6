#include "instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A folder that belongs to us and that no one else can write into.
bool private_dir(const char *path)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        errno = EPERM;
        return false;
    }
    return true;
}

bool copy_text(char *out, size_t cap, const char *text)
{
    int n = snprintf(out, cap, "%s", text);
    if (n < 0 || static_cast<size_t>(n) >= cap) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

pid_t read_holder(int fd)
{
    // The holder writes its pid right after it took the lock; give it a
    // moment if the file is still empty.
    for (int attempt = 0; attempt < 20; ++attempt) {
        char buf[32] = {};
        ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
        if (n > 0) {
            long pid = strtol(buf, nullptr, 10);
            if (pid > 0)
                return static_cast<pid_t>(pid);
        }
        usleep(10000);
    }
    return 0;
}

void write_pid(int fd, pid_t pid)
{
    char buf[32];
    int n = snprintf(buf, sizeof buf, "%d\n", static_cast<int>(pid));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, buf, static_cast<size_t>(n), 0) != n) {
        // The pid is only for the message of a second copy; the lock holds.
    }
}

}  // namespace

bool instance_lock_dir(char *out, size_t cap)
{
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && private_dir(runtime)) {
        struct stat st;
        if (stat(runtime, &st) == 0 && (st.st_mode & 022) == 0)
            return copy_text(out, cap, runtime);
    }
    char fallback[64];
    snprintf(fallback, sizeof fallback, "/tmp/vorell-%u", static_cast<unsigned>(geteuid()));
    if (mkdir(fallback, 0700) != 0 && errno != EEXIST)
        return false;
    if (!private_dir(fallback))
        return false;
    // Ours, but perhaps made with a loose mode by hand: close it.
    if (chmod(fallback, 0700) != 0)
        return false;
    return copy_text(out, cap, fallback);
}

void instance_display_key(const char *display, char *out, size_t cap)
{
    if (cap == 0)
        return;
    const char *d = display ? display : "";
    if (strncmp(d, "unix:", 5) == 0)
        d += 4;
    size_t n = 0;
    const char *colon = strrchr(d, ':');
    for (const char *p = d; *p && n + 1 < cap; ++p) {
        if (colon && p > colon && *p == '.')
            break;  // the screen number
        out[n++] = *p == '/' ? '_' : *p;
    }
    out[n] = 0;
}

LockResult instance_lock_take(InstanceLock *lock, const char *program, const char *display)
{
    lock->holder = 0;
    char dir[kLockPathMax];
    if (!instance_lock_dir(dir, sizeof dir))
        return LockResult::kUnavailable;
    char key[128];
    instance_display_key(display, key, sizeof key);
    int n = snprintf(lock->path, sizeof lock->path, "%s/vorell-%s-%s.lock", dir, program, key);
    if (n < 0 || static_cast<size_t>(n) >= sizeof lock->path) {
        errno = ENAMETOOLONG;
        return LockResult::kUnavailable;
    }
    int fd = open(lock->path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return LockResult::kUnavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        if (err == EWOULDBLOCK) {
            lock->holder = read_holder(fd);
            close(fd);
            return LockResult::kHeldElsewhere;
        }
        close(fd);
        errno = err;
        return LockResult::kUnavailable;
    }
    lock->fd = fd;
    write_pid(fd, getpid());
    return LockResult::kTaken;
}

void instance_lock_note_pid(const InstanceLock *lock)
{
    if (lock->fd >= 0)
        write_pid(lock->fd, getpid());
}

void instance_lock_or_exit(InstanceLock *lock, const char *program, const char *display)
{
    char key[128];
    instance_display_key(display, key, sizeof key);
    switch (instance_lock_take(lock, program, display)) {
    case LockResult::kTaken: return;
    case LockResult::kHeldElsewhere:
        if (lock->holder > 0)
            fprintf(stderr, "%s: already running on display %s (pid %d)\n", program, key,
                    static_cast<int>(lock->holder));
        else
            fprintf(stderr, "%s: already running on display %s\n", program, key);
        exit(kAlreadyRunningStatus);
    case LockResult::kUnavailable:
        fprintf(stderr, "%s: no lock file for display %s (%s); not checking for another copy\n", program, key,
                strerror(errno));
        return;
    }
}
