#include "x_keymap.h"

#include <cerrno>
#include <cstring>
#include <ctime>

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
