// The last gesture the engine recognised and what it did: the line gestured
// keeps beside its lock (for this user and the window's X server), followed
// through a file monitor, so nothing is read while nothing happens.
#pragma once

#include <gdk/gdk.h>
#include <giomm.h>

#include <string>

class LastGestureWatch {
public:
    // Watches the engine of the display's X server (an X11 display; another
    // kind has none). show gets the line now and after each change; "" when
    // there is none (no engine yet, or no gesture since it started).
    void start(GdkDisplay *display, sigc::slot<void, const std::string &> show);

private:
    void read();

    std::string path_;
    Glib::RefPtr<Gio::FileMonitor> monitor_;
    sigc::slot<void, const std::string &> show_;
};

// What the window shows of the file's text: its first line, cut to a
// label's length, as valid UTF-8.
std::string last_gesture_shown(const std::string &text);
