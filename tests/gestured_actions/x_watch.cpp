#include "x_watch.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <stdexcept>
#include <thread>

XWatch::XWatch(const std::string &display_name, const char *title)
{
    display_ = XOpenDisplay(display_name.c_str());
    if (!display_)
        throw std::runtime_error("cannot open " + display_name);
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 400, 300, 0, 0, 0);
    XStoreName(display_, window_, title);
    XSelectInput(display_, window_,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    XMapRaised(display_, window_);
    for (;;) {
        XEvent ev;
        XNextEvent(display_, &ev);
        if (ev.type == MapNotify && ev.xmap.window == window_)
            break;
    }
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XWarpPointer(display_, None, window_, 0, 0, 0, 0, 200, 150);
    XSync(display_, False);
}

XWatch::~XWatch()
{
    if (display_)
        XCloseDisplay(display_);
}

void XWatch::drain()
{
    while (XPending(display_) > 0) {
        XEvent ev;
        XNextEvent(display_, &ev);
        switch (ev.type) {
        case KeyPress:
        case KeyRelease: {
            KeySym sym = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(ev.xkey.keycode), 0, 0);
            const char *name = XKeysymToString(sym);
            seen_.push_back(std::string(ev.type == KeyPress ? "key+ " : "key- ") + (name ? name : "?"));
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            seen_.push_back(std::string(ev.type == ButtonPress ? "button+ " : "button- ") +
                            std::to_string(ev.xbutton.button));
            break;
        default: break;
        }
    }
}

std::vector<std::string> XWatch::events(Display *sender)
{
    if (sender)
        XSync(sender, False);
    XSync(display_, False);
    drain();
    return seen_;
}

std::vector<std::string> XWatch::wait_events(size_t count, double timeout_s)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    for (;;) {
        XSync(display_, False);
        drain();
        if (seen_.size() >= count || std::chrono::steady_clock::now() > end)
            return seen_;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool XWatch::key_down(const char *keysym_name)
{
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym_name));
    char keys[32];
    XQueryKeymap(display_, keys);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

bool XWatch::button_down(int button)
{
    Window root, child;
    int rx, ry, wx, wy;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return (mask & (Button1Mask << (button - 1))) != 0;
}
