#include "x_properties.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <unistd.h>

#include <cstring>
#include <vector>

struct XDriverGuard::Saved {
    struct Prop {
        Atom name;
        Atom type;
        int format;
        std::vector<unsigned char> bytes;
        unsigned long items;
    };
    std::vector<Prop> props;
};

namespace {

bool read_prop(Display *d, int dev, Atom name, Atom *type, int *format, std::vector<unsigned char> *bytes,
               unsigned long *items)
{
    unsigned char *data = nullptr;
    unsigned long after = 0;
    if (XIGetProperty(d, dev, name, 0, 64, False, AnyPropertyType, type, format, items, &after, &data) !=
            Success ||
        *type == None) {
        if (data)
            XFree(data);
        return false;
    }
    const size_t unit = *format == 8 ? 1 : *format == 16 ? 2 : 4;
    bytes->assign(data, data + unit * *items);
    XFree(data);
    return true;
}

void write_prop(Display *d, int dev, Atom name, Atom type, int format,
                const std::vector<unsigned char> &bytes, unsigned long items)
{
    XIChangeProperty(d, dev, name, type, format, PropModeReplace, const_cast<unsigned char *>(bytes.data()),
                     static_cast<int>(items));
}

std::string node_of(Display *d, int dev)
{
    Atom node = XInternAtom(d, "Device Node", True);
    if (node == None)
        return "";
    Atom type;
    int format;
    std::vector<unsigned char> bytes;
    unsigned long items;
    if (!read_prop(d, dev, node, &type, &format, &bytes, &items) || format != 8)
        return "";
    return std::string(bytes.begin(), bytes.end()).c_str();
}

}  // namespace

void (*XDriverGuard::on_lost)() = nullptr;

namespace {
int ignore_x_error(Display *, XErrorEvent *) { return 0; }
int x_lost(Display *)
{
    if (XDriverGuard::on_lost)
        XDriverGuard::on_lost();
    _exit(0);
}
}  // namespace

XDriverGuard::~XDriverGuard()
{
    restore();
    if (display_)
        XCloseDisplay(display_);
    delete saved_;
}

bool XDriverGuard::attach(const std::string &node, std::string *message)
{
    message->clear();
    if (!display_) {
        display_ = XOpenDisplay(nullptr);
        // A device that goes away between two calls gives BadDevice or
        // BadMatch errors, which must not end the program.
        XSetErrorHandler(ignore_x_error);
        XSetIOErrorHandler(x_lost);
        if (!display_) {
            *message =
                "vorellpad: no X display; publishing the touchpad block without switching "
                "off the X driver's own scrolling and tapping\n";
            return false;
        }
    }
    int opcode, event, error, major = 2, minor = 0;
    if (!XQueryExtension(display_, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(display_, &major, &minor) != Success) {
        *message = "vorellpad: the X server has no XInput 2; its driver's gestures stay on\n";
        return false;
    }
    int n = 0;
    XIDeviceInfo *info = XIQueryDevice(display_, XIAllDevices, &n);
    device_ = -1;
    for (int i = 0; i < n && device_ < 0; ++i)
        if (info[i].use == XISlavePointer && node_of(display_, info[i].deviceid) == node)
            device_ = info[i].deviceid;
    XIFreeDeviceInfo(info);
    if (device_ < 0) {
        *message = "vorellpad: the X server does not drive " + node + "; nothing to switch off there\n";
        return false;
    }
    delete saved_;
    saved_ = new Saved;
    // Tapping off (the driver cannot switch off only multi-finger taps) and
    // two-finger scrolling off; edge and button scrolling stay as they are.
    const char *names[] = {"libinput Tapping Enabled", "libinput Scroll Method Enabled", "Device Enabled"};
    for (const char *name : names) {
        Atom a = XInternAtom(display_, name, True);
        Saved::Prop p;
        if (a == None || !read_prop(display_, device_, a, &p.type, &p.format, &p.bytes, &p.items))
            continue;
        p.name = a;
        saved_->props.push_back(p);
        std::vector<unsigned char> changed = p.bytes;
        const bool switched_off_here =
            !strcmp(name, "libinput Tapping Enabled") || !strcmp(name, "libinput Scroll Method Enabled");
        if (!switched_off_here || changed.empty())
            continue;
        changed[0] = 0;
        write_prop(display_, device_, a, p.type, p.format, changed, p.items);
    }
    // Keys wake the loop: the typing monitor turns the pad off at a key,
    // and the mirror needs to look only then.
    if (!keys_reported_)
        keys_reported_ = listen_for_key_events(display_, &keys_);
    XFlush(display_);
    touchpad_off_ = 0;
    return true;
}

void XDriverGuard::mirror_touchpad_off(int value)
{
    if (!display_ || device_ < 0 || !saved_ || value == touchpad_off_)
        return;
    touchpad_off_ = value;
    Atom enabled = XInternAtom(display_, "Device Enabled", True);
    for (const Saved::Prop &p : saved_->props) {
        if (p.name != enabled)
            continue;
        std::vector<unsigned char> v = p.bytes;
        if (value == 1 && !v.empty())
            v[0] = 0;
        write_prop(display_, device_, p.name, p.type, p.format, v, p.items);
    }
    XFlush(display_);
}

void XDriverGuard::restore()
{
    if (!display_ || device_ < 0 || !saved_)
        return;
    for (const Saved::Prop &p : saved_->props)
        write_prop(display_, device_, p.name, p.type, p.format, p.bytes, p.items);
    XSync(display_, False);
    device_ = -1;
}

int XDriverGuard::connection_fd() const { return display_ ? ConnectionNumber(display_) : -1; }

bool XDriverGuard::drain()
{
    if (!display_)
        return false;
    if (keys_reported_)
        return take_key_events(
            display_, &keys_, [](void *, const KeyEvent &) {}, nullptr);
    while (XPending(display_)) {
        XEvent e;
        XNextEvent(display_, &e);
    }
    return false;
}
