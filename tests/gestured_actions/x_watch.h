// A test client that owns a focused, titled window under the pointer and
// records the key and button events that reach it, as "key+ NAME",
// "key- NAME" (the keysym at level 0 of the keycode), "button+ N", "button- N".
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

class XWatch {
public:
    explicit XWatch(const std::string &display_name, const char *title = "watch");
    ~XWatch();
    XWatch(const XWatch &) = delete;
    XWatch &operator=(const XWatch &) = delete;

    Display *display() const { return display_; }
    Window window() const { return window_; }

    // Everything that reached the window so far. `sender` (may be null) is
    // synced first, so everything it sent before has been processed.
    std::vector<std::string> events(Display *sender = nullptr);
    // Polls until `count` events have arrived or timeout_s passes.
    std::vector<std::string> wait_events(size_t count, double timeout_s = 10.0);

    // Whether the key of a keysym or a pointer button is down on the server.
    bool key_down(const char *keysym_name);
    bool button_down(int button);

private:
    void drain();

    Display *display_ = nullptr;
    Window window_ = 0;
    std::vector<std::string> seen_;
};
