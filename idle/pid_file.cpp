#include "pid_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

bool write_pid_file(const char *path, pid_t pid)
{
    // O_NOFOLLOW: a link planted at the name must not redirect the write.
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return false;
    }
    // An existing file keeps its old mode on truncation: set ours.
    if (fchmod(fd, 0644) != 0) {
        int e = errno;
        close(fd);
        errno = e;
        return false;
    }
    char text[24];
    int n = snprintf(text, sizeof text, "%d\n", static_cast<int>(pid));
    bool ok = write(fd, text, static_cast<size_t>(n)) == n;
    int e = errno;
    if (close(fd) != 0)
        ok = false;
    else
        errno = e;
    return ok;
}
