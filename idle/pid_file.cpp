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
        return PidFileRefusal::SymbolicLink;
    if (!S_ISREG(st.st_mode))
        return PidFileRefusal::NotRegular;
    if (st.st_uid != geteuid())
        return PidFileRefusal::OtherOwner;
    if (st.st_nlink != 1)
        return PidFileRefusal::ExtraLinks;
    return PidFileRefusal::NotRefused;
}

}  // namespace

const char *pid_file_refusal_text(PidFileRefusal refusal)
{
    switch (refusal) {
    case PidFileRefusal::NotRefused: return "";
    case PidFileRefusal::SymbolicLink: return " is a symbolic link";
    case PidFileRefusal::NotRegular: return " is not a regular file";
    case PidFileRefusal::OtherOwner: return " is owned by another user";
    case PidFileRefusal::ExtraLinks: return " has other hard links";
    }
    return "";
}

PidFileRefusal check_pid_file_path(const char *path)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        return PidFileRefusal::NotRefused;
    return judge(st);
}

bool write_pid_file(const char *path, pid_t pid, PidFileRefusal *refusal)
{
    *refusal = PidFileRefusal::NotRefused;
    // No O_TRUNC: nothing is cut before the file is known to be ours.
    // O_NONBLOCK: a FIFO at the name must not hold the daemon in open().
    int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == ELOOP)
            *refusal = PidFileRefusal::SymbolicLink;
        else if (errno == ENXIO || errno == EISDIR)  // a FIFO with no reader, a folder
            *refusal = PidFileRefusal::NotRegular;
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
    if (*refusal != PidFileRefusal::NotRefused) {
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
