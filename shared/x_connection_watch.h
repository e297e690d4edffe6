// Noticing that the X server has gone, without polling it.
#pragma once

#include <X11/Xlib.h>

// Blocks until the display connection ends (the server exited or closed it)
// and returns then. Whatever the server sends meanwhile (MappingNotify
// reaches every client) is read and dropped. The connection must be used by
// the calling thread only. While the connection lives the thread sleeps in
// poll(): no wake-ups, no requests.
void wait_for_x_connection_end(Display *display);
