#include "x_key_events.h"

#include <poll.h>

#include <X11/extensions/XInput2.h>

bool listen_for_key_events(Display *display, int *xi_opcode)
{
    int event, error;
    if (!XQueryExtension(display, "XInputExtension", xi_opcode, &event, &error))
        return false;
    // XInput 2 events travel as generic events; a server can have XInput 2
    // without them and then never send one.
    int ge_opcode;
    if (!XQueryExtension(display, "Generic Event Extension", &ge_opcode, &event, &error))
        return false;
    // From 2.1 on, raw events reach the root window even while another client
    // grabs the keyboard.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2)
        return false;

    unsigned char bits[XIMaskLen(XI_RawKeyRelease)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask = {XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    return true;
}

bool take_key_events(Display *display, int xi_opcode, uint8_t pressed[32])
{
    bool any = false;
    // XPending also hands over events Xlib read along with a reply, which
    // would never wake a wait on the socket.
    while (XPending(display)) {
        XEvent ev;
        XNextEvent(display, &ev);
        XGenericEventCookie *cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xi_opcode || !XGetEventData(display, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const XIRawEvent *raw = static_cast<const XIRawEvent *>(cookie->data);
            if (cookie->evtype == XI_RawKeyPress && raw->detail >= 0 && raw->detail < 256)
                pressed[raw->detail / 8] |= static_cast<uint8_t>(1u << (raw->detail % 8));
            any = true;
        }
        XFreeEventData(display, cookie);
    }
    return any;
}

bool wait_for_x(Display *display, int64_t timeout_us)
{
    if (timeout_us < 0)
        timeout_us = 0;
    // Rounded up, so the wait never ends just before a deadline and spins;
    // a day or more stands for no deadline.
    int64_t ms = (timeout_us + 999) / 1000;
    int timeout_ms = ms >= 86400000 ? -1 : static_cast<int>(ms);
    struct pollfd p = {ConnectionNumber(display), POLLIN, 0};
    return poll(&p, 1, timeout_ms) > 0;
}
