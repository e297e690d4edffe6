#include "record_session.h"

#include <X11/XKBlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstring>

int64_t monotonic_us()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

namespace {

void intercept(XPointer closure, XRecordInterceptData *d)
{
    RecordSession *s = reinterpret_cast<RecordSession *>(closure);
    if (d->category == XRecordStartOfData)
        s->started = true;
    if (d->category == XRecordFromServer && d->data_len * 4 >= 8) {
        const unsigned char *b = d->data;
        RecordedEvent e;
        e.type = b[0] & 0x7f;
        e.detail = b[1];
        uint32_t t;
        memcpy(&t, b + 4, 4);
        if (d->client_swapped)
            t = __builtin_bswap32(t);
        e.server_time = t;
        e.arrival_us = monotonic_us();
        if (e.type >= KeyPress && e.type <= ButtonRelease && s->callback)
            s->callback(e, s->ctx);
    }
    XRecordFreeData(d);
}

bool fail(char *err, int cap, const char *why)
{
    snprintf(err, static_cast<size_t>(cap), "%s", why);
    return false;
}

// The window's own events only serve to make the server flush; drain them.
void drain_window_events(RecordSession *s)
{
    while (XPending(s->control) > 0) {
        XEvent ev;
        XNextEvent(s->control, &ev);
    }
}

}  // namespace

const char *record_event_name(int type)
{
    switch (type) {
    case KeyPress: return "KeyPress";
    case KeyRelease: return "KeyRelease";
    case ButtonPress: return "ButtonPress";
    case ButtonRelease: return "ButtonRelease";
    default: return "Event";
    }
}

bool record_open(RecordSession *s, const char *display_name, const char *title, RecordCallback callback,
                 void *ctx, char *err, int err_cap)
{
    memset(s, 0, sizeof *s);
    s->callback = callback;
    s->ctx = ctx;
    s->control = XOpenDisplay(display_name);
    s->data = XOpenDisplay(display_name);
    if (!s->control || !s->data)
        return fail(err, err_cap, "cannot open the display");
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(s->control, &major, &minor))
        return fail(err, err_cap, "the X server has no RECORD extension");

    const int screen = DefaultScreen(s->control);
    const Window root = RootWindow(s->control, screen);
    const int width = DisplayWidth(s->control, screen);
    const int height = DisplayHeight(s->control, screen);
    XSetWindowAttributes attrs;
    attrs.event_mask =
        KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    attrs.background_pixel = BlackPixel(s->control, screen);
    s->window =
        XCreateWindow(s->control, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixel, &attrs);
    if (title)
        XStoreName(s->control, s->window, title);
    XMapRaised(s->control, s->window);
    for (;;) {
        XEvent ev;
        XNextEvent(s->control, &ev);
        if (ev.type == MapNotify && ev.xmap.window == s->window)
            break;
    }
    XSetInputFocus(s->control, s->window, RevertToPointerRoot, CurrentTime);
    XWarpPointer(s->control, None, s->window, 0, 0, 0, 0, width / 2, height / 2);
    XSync(s->control, False);

    s->range = XRecordAllocRange();
    if (!s->range)
        return fail(err, err_cap, "XRecordAllocRange failed");
    s->range->device_events.first = KeyPress;
    s->range->device_events.last = ButtonRelease;
    XRecordClientSpec clients = XRecordAllClients;
    s->context = XRecordCreateContext(s->control, 0, &clients, 1, &s->range, 1);
    if (!s->context)
        return fail(err, err_cap, "XRecordCreateContext failed");
    XSync(s->control, False);
    if (!XRecordEnableContextAsync(s->data, s->context, intercept, reinterpret_cast<XPointer>(s)))
        return fail(err, err_cap, "XRecordEnableContextAsync failed");
    XFlush(s->data);
    for (int i = 0; i < 500 && !s->started; ++i)
        if (!record_poll(s, 10))
            break;
    if (!s->started)
        return fail(err, err_cap, "recording did not start");
    return true;
}

bool record_poll(RecordSession *s, int timeout_ms)
{
    struct pollfd fds[2] = {{ConnectionNumber(s->data), POLLIN, 0},
                            {ConnectionNumber(s->control), POLLIN, 0}};
    int n = poll(fds, 2, timeout_ms);
    if (n < 0)
        return true;  // interrupted
    if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR))
        return false;
    if (n == 0) {
        // Nothing for a while: a round trip makes the server write output,
        // which flushes anything RECORD still buffers.
        XSync(s->control, False);
    }
    drain_window_events(s);
    XRecordProcessReplies(s->data);
    return true;
}

const char *record_key_name(RecordSession *s, int keycode)
{
    KeySym sym = XkbKeycodeToKeysym(s->control, static_cast<KeyCode>(keycode), 0, 0);
    const char *name = sym == NoSymbol ? nullptr : XKeysymToString(sym);
    return name ? name : "keycode";
}

void record_close(RecordSession *s)
{
    if (s->context && s->control) {
        XRecordDisableContext(s->control, s->context);
        XRecordFreeContext(s->control, s->context);
        XSync(s->control, False);
    }
    if (s->range)
        XFree(s->range);
    if (s->data)
        XCloseDisplay(s->data);
    if (s->control)
        XCloseDisplay(s->control);
    memset(s, 0, sizeof *s);
}
