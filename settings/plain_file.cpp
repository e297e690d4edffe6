#include "plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool read_whole(int fd, std::string *text)
{
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        text->append(buffer, static_cast<size_t>(n));
        if (text->size() > kPlainFileMax) {
            errno = EFBIG;
            return false;
        }
    }
}

}  // namespace

bool read_plain_file(const std::string &path, std::string *text, int *error, std::string *why)
{
    text->clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = errno;
        *why = strerror(errno);
        return false;
    }
    struct stat st;
    const bool known = fstat(fd, &st) == 0;
    bool ok = false;
    if (known && !S_ISREG(st.st_mode)) {
        *error = EINVAL;
        *why = "it is not a plain file";
    } else if (!known || !read_whole(fd, text)) {
        *error = errno;
        *why = strerror(errno);
    } else {
        ok = true;
    }
    close(fd);
    if (!ok)
        text->clear();
    return ok;
}
