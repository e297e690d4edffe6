#include "instance_lock.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Why path is not a folder of ours with mode 0700 that is not a link, or
// nullptr when it is one. The text goes into a message.
const char *not_private(const char *path, char *why, size_t cap)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        snprintf(why, cap, "%s", strerror(errno));
    else if (S_ISLNK(st.st_mode))
        snprintf(why, cap, "a symbolic link");
    else if (!S_ISDIR(st.st_mode))
        snprintf(why, cap, "not a folder");
    else if (st.st_uid != geteuid())
        snprintf(why, cap, "owned by uid %u", static_cast<unsigned>(st.st_uid));
    else if ((st.st_mode & 07777) != 0700)
        snprintf(why, cap, "mode %04o", static_cast<unsigned>(st.st_mode & 07777));
    else
        return nullptr;
    return why;
}

// /tmp keeps our folder ours only when nobody else can rename or remove it.
bool tmp_is_sound()
{
    struct stat st;
    return lstat("/tmp", &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 &&
           ((st.st_mode & S_ISVTX) || (st.st_mode & 022) == 0);
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

// The X server's display number from the name of the socket it listens on
// (".../X12"), or -1.
long display_number_of_socket(const char *path)
{
    const char *base = strrchr(path, '/');
    base = base ? base + 1 : path;
    if (base[0] != 'X' || !isdigit(static_cast<unsigned char>(base[1])))
        return -1;
    char *end = nullptr;
    long n = strtol(base + 1, &end, 10);
    return *end ? -1 : n;
}

bool is_loopback(const struct sockaddr_storage &a)
{
    if (a.ss_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in &>(a).sin_addr.s_addr) >> 24) == 127;
    const in6_addr &six = reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&six))
        return six.s6_addr[12] == 127;
    return IN6_IS_ADDR_LOOPBACK(&six);
}

bool same_address(const struct sockaddr_storage &a, const struct sockaddr_storage &b)
{
    if (a.ss_family != b.ss_family)
        return false;
    if (a.ss_family == AF_INET)
        return reinterpret_cast<const sockaddr_in &>(a).sin_addr.s_addr ==
               reinterpret_cast<const sockaddr_in &>(b).sin_addr.s_addr;
    return memcmp(&reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr,
                  &reinterpret_cast<const sockaddr_in6 &>(b).sin6_addr, sizeof(in6_addr)) == 0;
}

// The server at the other end of the display connection, or false when the
// socket does not tell.
bool key_of_peer(int connection, char *out, size_t cap)
{
    struct sockaddr_storage peer;
    socklen_t len = sizeof peer;
    if (connection < 0 || getpeername(connection, reinterpret_cast<sockaddr *>(&peer), &len) != 0)
        return false;
    if (peer.ss_family == AF_UNIX) {
        const sockaddr_un &un = reinterpret_cast<const sockaddr_un &>(peer);
        size_t n = len > offsetof(sockaddr_un, sun_path) ? len - offsetof(sockaddr_un, sun_path) : 0;
        const char *path = un.sun_path;
        if (n > 0 && path[0] == '\0') {  // an abstract socket: the same name after a 0 byte
            ++path;
            --n;
        }
        char name[sizeof un.sun_path + 1];
        memcpy(name, path, n);
        name[n] = 0;
        long number = display_number_of_socket(name);
        if (number < 0)
            return false;
        snprintf(out, cap, ":%ld", number);
        return true;
    }
    if (peer.ss_family != AF_INET && peer.ss_family != AF_INET6)
        return false;
    const int port =
        ntohs(peer.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in &>(peer).sin_port
                                        : reinterpret_cast<const sockaddr_in6 &>(peer).sin6_port);
    if (port < 6000)
        return false;
    struct sockaddr_storage self;
    socklen_t self_len = sizeof self;
    const bool here =
        is_loopback(peer) || (getsockname(connection, reinterpret_cast<sockaddr *>(&self), &self_len) == 0 &&
                              same_address(peer, self));
    if (here) {
        snprintf(out, cap, ":%d", port - 6000);
        return true;
    }
    char host[INET6_ADDRSTRLEN] = "";
    const void *addr =
        peer.ss_family == AF_INET
            ? static_cast<const void *>(&reinterpret_cast<const sockaddr_in &>(peer).sin_addr)
            : static_cast<const void *>(&reinterpret_cast<const sockaddr_in6 &>(peer).sin6_addr);
    if (!inet_ntop(peer.ss_family, addr, host, sizeof host))
        return false;
    snprintf(out, cap, "%s:%d", host, port - 6000);
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

bool instance_lock_dir(char *out, size_t cap, const char *program)
{
    const unsigned uid = static_cast<unsigned>(geteuid());
    char path[64];
    char why[96];
    snprintf(path, sizeof path, "/run/user/%u", uid);
    if (!not_private(path, why, sizeof why))
        return copy_text(out, cap, path);
    if (!tmp_is_sound()) {
        errno = EPERM;
        return false;
    }
    for (int i = 0; i < kTmpFolderTries; ++i) {
        if (i == 0)
            snprintf(path, sizeof path, "/tmp/vorell-%u", uid);
        else
            snprintf(path, sizeof path, "/tmp/vorell-%u.%d", uid, i);
        if (mkdir(path, 0700) == 0) {
            // Ours from the start; the umask may have taken bits.
            if (chmod(path, 0700) != 0)
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
        if (!not_private(path, why, sizeof why))
            return copy_text(out, cap, path);
        if (program)
            fprintf(stderr, "%s: passing over %s, which is not a private folder of this user (%s)\n", program,
                    path, why);
    }
    errno = EEXIST;
    return false;
}

void instance_display_key(const char *display, char *out, size_t cap)
{
    if (cap == 0)
        return;
    const char *d = display ? display : "";
    if (strncmp(d, "unix:", 5) == 0)
        d += 4;
    const char *colon = strrchr(d, ':');
    size_t n = 0;
    for (const char *p = d; *p && n + 1 < cap; ++p) {
        if (colon && p > colon) {
            // The display number without leading zeros, then no screen.
            while (p[0] == '0' && isdigit(static_cast<unsigned char>(p[1])))
                ++p;
            while (isdigit(static_cast<unsigned char>(*p)) && n + 1 < cap)
                out[n++] = *p++;
            break;
        }
        out[n++] = *p == '/' ? '_' : *p;
    }
    out[n] = 0;
}

void instance_server_key(const char *display, int connection, char *out, size_t cap)
{
    if (!key_of_peer(connection, out, cap))
        instance_display_key(display, out, cap);
}

bool instance_file_path(const char *program, const char *server, const char *suffix, char *out, size_t cap)
{
    char dir[kLockPathMax];
    if (!instance_lock_dir(dir, sizeof dir, program))
        return false;
    const int n = snprintf(out, cap, "%s/vorell-%s-%s%s", dir, program, server, suffix);
    if (n < 0 || static_cast<size_t>(n) >= cap) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

LockResult instance_lock_take(InstanceLock *lock, const char *program, const char *display, int connection)
{
    lock->holder = 0;
    instance_server_key(display, connection, lock->server, sizeof lock->server);
    if (!instance_file_path(program, lock->server, ".lock", lock->path, sizeof lock->path))
        return LockResult::kUnavailable;
    int fd = open(lock->path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return LockResult::kUnavailable;
    // Only root could have put anything else there, in a folder of ours.
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        errno = EPERM;
        return LockResult::kUnavailable;
    }
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

bool instance_lock_sibling(const InstanceLock *lock, const char *suffix, char *out, size_t cap)
{
    const size_t n = strlen(lock->path);
    constexpr size_t kEnding = sizeof ".lock" - 1;
    if (n <= kEnding || strcmp(lock->path + n - kEnding, ".lock") != 0)
        return false;
    const int written = snprintf(out, cap, "%.*s%s", static_cast<int>(n - kEnding), lock->path, suffix);
    return written >= 0 && static_cast<size_t>(written) < cap;
}

void instance_lock_note_pid(const InstanceLock *lock)
{
    if (lock->fd >= 0)
        write_pid(lock->fd, getpid());
}

bool instance_lock_or_exit(InstanceLock *lock, const char *program, const char *display, int connection)
{
    switch (instance_lock_take(lock, program, display, connection)) {
    case LockResult::kTaken: return true;
    case LockResult::kHeldElsewhere:
        if (lock->holder > 0)
            fprintf(stderr, "%s: already running on display %s (pid %d)\n", program, lock->server,
                    static_cast<int>(lock->holder));
        else
            fprintf(stderr, "%s: already running on display %s\n", program, lock->server);
        exit(kAlreadyRunningStatus);
    case LockResult::kUnavailable:
        fprintf(stderr,
                "%s: no private folder or lock file for display %s (%s); not starting without the "
                "check for another copy\n",
                program, lock->server, strerror(errno));
        return false;
    }
    return false;
}
