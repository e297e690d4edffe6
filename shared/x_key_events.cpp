#include "x_key_events.h"

#include <poll.h>

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>

namespace {

// Marks the devices the server flags as its XTEST devices (the property
// every XTEST device carries, whatever its master is called).
void find_synthetic_devices(Display *display, KeyEventListener *listener)
{
    for (bool &s : listener->synthetic)
        s = false;
    const Atom xtest = XInternAtom(display, "XTEST Device", True);
    if (xtest == 0)
        return;  // a server that names no device so has none
    int count = 0;
    XIDeviceInfo *devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const int id = devices[i].deviceid;
        if (id < 0 || id >= kXDeviceIds)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        if (XIGetProperty(display, id, xtest, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                          &data) == Success &&
            type != 0)
            listener->synthetic[id] = true;
        if (data)
            XFree(data);
    }
    XIFreeDeviceInfo(devices);
}

}  // namespace

bool listen_for_key_events(Display *display, KeyEventListener *listener)
{
    int event, error;
    if (!XQueryExtension(display, "XInputExtension", &listener->xi_opcode, &event, &error))
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

    unsigned char keys[XIMaskLen(XI_RawKeyRelease)] = {};
    XISetMask(keys, XI_RawKeyPress);
    XISetMask(keys, XI_RawKeyRelease);
    unsigned char devices[XIMaskLen(XI_HierarchyChanged)] = {};
    XISetMask(devices, XI_HierarchyChanged);
    XIEventMask masks[] = {{XIAllMasterDevices, sizeof keys, keys}, {XIAllDevices, sizeof devices, devices}};
    XISelectEvents(display, DefaultRootWindow(display), masks, 2);
    find_synthetic_devices(display, listener);
    XFlush(display);
    return true;
}

bool take_key_events(Display *display, KeyEventListener *listener,
                     void (*on_key)(void *ctx, const KeyEvent &event), void *ctx)
{
    bool any = false;
    // XPending also hands over events Xlib read along with a reply, which
    // would never wake a wait on the socket.
    while (XPending(display)) {
        XEvent ev;
        XNextEvent(display, &ev);
        XGenericEventCookie *cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != listener->xi_opcode ||
            !XGetEventData(display, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const XIRawEvent *raw = static_cast<const XIRawEvent *>(cookie->data);
            if (raw->detail >= 0 && raw->detail < 256) {
                const bool synthetic =
                    raw->sourceid >= 0 && raw->sourceid < kXDeviceIds && listener->synthetic[raw->sourceid];
                on_key(ctx, {raw->detail, cookie->evtype == XI_RawKeyPress, synthetic});
                any = true;
            }
        } else if (cookie->evtype == XI_HierarchyChanged) {
            find_synthetic_devices(display, listener);
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
