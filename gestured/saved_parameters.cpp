#include "saved_parameters.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_replace.h"

namespace {

constexpr size_t kMaxFileBytes = 4096;

bool parse_int(const std::string &text, long min, long max, long *out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long v = strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != 0 || v < min || v > max)
        return false;
    *out = v;
    return true;
}

// The next line of text from *pos on, as std::getline would give it: up to
// a '\n' or the end, a last line without a '\n' included, none after a final
// '\n'. (No string stream: it would bring the C++ locale machinery into the
// engine for two lines of text.)
bool next_line(const std::string &text, size_t *pos, std::string *line)
{
    if (*pos >= text.size())
        return false;
    size_t end = text.find('\n', *pos);
    if (end == std::string::npos)
        end = text.size();
    line->assign(text, *pos, end - *pos);
    *pos = end + 1;
    return true;
}

}  // namespace

std::string format_saved_parameters(int block_id, const SavedParameter *parameters, int count)
{
    std::string text = "block " + std::to_string(block_id) + "\n";
    for (int i = 0; i < count; ++i)
        text += std::string(parameters[i].name) + "=" + std::to_string(parameters[i].value) + "\n";
    return text;
}

bool parse_saved_parameters(const std::string &text, int *block_id, SavedParameter *parameters, int count)
{
    for (int i = 0; i < count; ++i)
        parameters[i].present = false;
    size_t pos = 0;
    std::string line;
    long id = -1;
    if (!next_line(text, &pos, &line) || line.rfind("block ", 0) != 0 ||
        !parse_int(line.substr(6), 0, INT32_MAX, &id))
        return false;
    while (next_line(text, &pos, &line)) {
        const size_t eq = line.find('=');
        long value = 0;
        if (eq == std::string::npos || !parse_int(line.substr(eq + 1), INT32_MIN, INT32_MAX, &value))
            return false;
        for (int i = 0; i < count; ++i) {
            if (line.compare(0, eq, parameters[i].name) == 0 && strlen(parameters[i].name) == eq) {
                parameters[i].value = static_cast<int32_t>(value);
                parameters[i].present = true;
            }
        }
    }
    *block_id = static_cast<int>(id);
    return true;
}

bool write_private_file(const std::string &path, const std::string &text)
{
    std::string temp = path + ".XXXXXX";
    const int fd = mkostemp(&temp[0], O_CLOEXEC);  // 0600, made exclusively
    if (fd < 0)
        return false;
    const bool written = write_all(fd, text);
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        errno = error;
        return false;
    }
    return true;
}

bool read_private_file(const std::string &path, std::string *text)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    char buf[kMaxFileBytes];
    ssize_t n = ours ? read(fd, buf, sizeof buf) : -1;
    close(fd);
    if (n < 0)
        return false;
    text->assign(buf, static_cast<size_t>(n));
    return true;
}
