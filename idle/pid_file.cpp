#include "pid_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

PidFileRefusal judge(const struct stat &st)
{
    if (S_ISLNK(st.st_mode))
        return PidFileRefusal::kSymbolicLink;
    if (!S_ISREG(st.st_mode))
        return PidFileRefusal::kNotRegular;
    if (st.st_uid != geteuid())
        return PidFileRefusal::kOtherOwner;
    if (st.st_nlink != 1)
        return PidFileRefusal::kExtraLinks;
    return PidFileRefusal::kNotRefused;
}

}  // namespace

const char *pid_file_refusal_text(PidFileRefusal refusal)
{
    switch (refusal) {
    case PidFileRefusal::kNotRefused: return "";
    case PidFileRefusal::kSymbolicLink: return " is a symbolic link";
    case PidFileRefusal::kNotRegular: return " is not a regular file";
    case PidFileRefusal::kOtherOwner: return " is owned by another user";
    case PidFileRefusal::kExtraLinks: return " has other hard links";
    }
    return "";
}

PidFileRefusal check_pid_file_path(const char *path)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        return PidFileRefusal::kNotRefused;
    return judge(st);
}

bool write_pid_file(const char *path, pid_t pid, PidFileRefusal *refusal)
{
    *refusal = PidFileRefusal::kNotRefused;
    // No O_TRUNC: nothing is cut before the file is known to be ours.
    // O_NONBLOCK: a FIFO at the name must not hold the daemon in open().
    int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == ELOOP)
            *refusal = PidFileRefusal::kSymbolicLink;
        else if (errno == ENXIO || errno == EISDIR)  // a FIFO with no reader, a folder
            *refusal = PidFileRefusal::kNotRegular;
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int e = errno;
        close(fd);
        errno = e;
        return false;
    }
    *refusal = judge(st);
    if (*refusal != PidFileRefusal::kNotRefused) {
        close(fd);
        return false;
    }
    // An existing file keeps its old mode and contents: set ours.
    if (ftruncate(fd, 0) != 0 || fchmod(fd, 0644) != 0) {
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
