#include "file_replace.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(std::string *why, const std::string &what)
{
    *why = what + ": " + strerror(errno);
    return false;
}

// The file a link at path names; path itself when it is no link (or a
// broken one, whose target the rename then makes).
std::string target_of(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    char link[PATH_MAX];
    ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0)
        return path;
    link[n] = 0;
    if (link[0] == '/')
        return link;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(link) : path.substr(0, slash + 1) + link;
}

// The process's umask, read without changing it (umask() would, for a
// moment, for every thread).
mode_t current_umask()
{
    FILE *status = fopen("/proc/self/status", "r");
    unsigned mask = 022;
    if (status) {
        char line[128];
        while (fgets(line, sizeof line, status))
            if (sscanf(line, "Umask: %o", &mask) == 1)
                break;
        fclose(status);
    }
    return static_cast<mode_t>(mask);
}

}  // namespace

bool write_all(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool replace_file(const std::string &path, const std::string &text, std::string *why)
{
    const std::string target = target_of(path);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "." + name + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return fail(why, "cannot make a new file in " + folder);
    struct stat old;
    mode_t mode;
    if (stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode = 0666 & ~current_umask();
    }
    bool ok = fchmod(fd, mode) == 0 && write_all(fd, text) && fsync(fd) == 0;
    const int write_errno = errno;
    if (close(fd) != 0 && ok)
        ok = false;
    if (ok && rename(temp.c_str(), target.c_str()) == 0)
        return true;
    if (ok)
        fail(why, "cannot put the new file in place of " + target);
    else {
        errno = write_errno;
        fail(why, "cannot write " + temp);
    }
    unlink(temp.c_str());
    return false;
}

bool make_folders(const std::string &folder, std::string *why)
{
    std::string built;
    size_t from = 0;
    while (from <= folder.size()) {
        size_t slash = folder.find('/', from);
        if (slash == std::string::npos)
            slash = folder.size();
        built = folder.substr(0, slash);
        from = slash + 1;
        if (built.empty())
            continue;
        if (mkdir(built.c_str(), 0700) != 0 && errno != EEXIST)
            return fail(why, "cannot make the folder " + built);
    }
    struct stat st;
    if (stat(folder.c_str(), &st) != 0)
        return fail(why, "cannot use the folder " + folder);
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return fail(why, "cannot use the folder " + folder);
    }
    return true;
}
