#include "x_keymap.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "block_watch.h"

void sleep_microseconds(int64_t us)
{
    if (us <= 0)
        return;
    struct timespec left = {static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

void query_x_keymap(Display *display, uint8_t keys[kKeyVectorBytes])
{
    char raw[kKeyVectorBytes];
    XQueryKeymap(display, raw);
    memcpy(keys, raw, sizeof raw);
}

namespace {

// Between two looks at another user's block: a second, and a round trip that
// ends the program as Xlib does when the X server has gone meanwhile.
void wait_keeping_display(void *display)
{
    sleep_microseconds(static_cast<int64_t>(kBlockCheckPeriodMs) * 1000);
    XSync(static_cast<Display *>(display), False);
}

}  // namespace

TouchpadSharedBlock *open_display_and_block(InstanceLock *lock, const char *program, Display **display)
{
    *display = XOpenDisplay(nullptr);
    if (!*display) {
        fputs("Can't open display.\n", stderr);
        exit(2);
    }
    if (!instance_lock_or_exit(lock, program, DisplayString(*display), ConnectionNumber(*display))) {
        XCloseDisplay(*display);
        return nullptr;
    }
    TouchpadSharedBlock *block = attach_own_block(program, wait_keeping_display, *display);
    if (!block)
        XCloseDisplay(*display);
    return block;
}
