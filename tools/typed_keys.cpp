#include "typed_keys.h"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

XDevice *open_typing_keyboard(Display *display)
{
    const Atom xtest = XInternAtom(display, "XTEST Device", True);
    int count = 0;
    XIDeviceInfo *devices = XIQueryDevice(display, XIAllDevices, &count);
    XDevice *keyboard = nullptr;
    for (int i = 0; i < count && !keyboard; ++i) {
        if (devices[i].use != XISlaveKeyboard)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        const bool is_xtest = xtest != 0 &&
                              XIGetProperty(display, devices[i].deviceid, xtest, 0, 1, False, AnyPropertyType,
                                            &type, &format, &items, &after, &data) == Success &&
                              type != 0;
        if (data)
            XFree(data);
        if (!is_xtest)
            keyboard = XOpenDevice(display, static_cast<XID>(devices[i].deviceid));
    }
    XIFreeDeviceInfo(devices);
    return keyboard;
}

void type_key(Display *display, XDevice *keyboard, unsigned keycode, bool down)
{
    XTestFakeDeviceKeyEvent(display, keyboard, keycode, down ? True : False, nullptr, 0, CurrentTime);
    XSync(display, False);
}
