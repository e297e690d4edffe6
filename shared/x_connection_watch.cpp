#include "x_connection_watch.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>

void wait_for_x_connection_end(Display *display)
{
    const int fd = ConnectionNumber(display);
    for (;;) {
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return;
        char byte;
        ssize_t n = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0)
            return;  // orderly end of the stream
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return;
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
}
