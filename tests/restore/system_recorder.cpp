// Preloaded into restoresettings by one test: writes every command string
// handed to system() to the file named by VORELL_SYSTEM_LOG, byte for byte
// between brackets, then runs it as usual.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

void append(int fd, const char *text, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, text, n);
        if (w <= 0)
            return;
        text += w;
        n -= static_cast<size_t>(w);
    }
}

}  // namespace

extern "C" int system(const char *command)
{
    using SystemFn = int (*)(const char *);
    static SystemFn real = reinterpret_cast<SystemFn>(dlsym(RTLD_NEXT, "system"));
    const char *log = getenv("VORELL_SYSTEM_LOG");
    if (log && command) {
        int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            append(fd, "[", 1);
            append(fd, command, strlen(command));
            append(fd, "]\n", 2);
            close(fd);
        }
    }
    return real ? real(command) : -1;
}
