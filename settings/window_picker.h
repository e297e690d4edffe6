// Picking a window with the pointer, as xprop does: the pointer turns into a
// cross, the next click names the application of the window under it (its
// WM_CLASS class), and Escape or a click on no application gives up. The
// window's own events are held meanwhile through an invisible widget, as
// the toolkit's colour picker does.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <string>

class WindowPicker {
public:
    // picked gets the class, or "" when the pick was given up.
    using Picked = std::function<void(const std::string &window_class)>;

    WindowPicker();

    // False, with the reason in *why, when the pointer could not be taken.
    bool start(Picked picked, std::string *why);

private:
    bool on_press(GdkEventButton *event);
    bool on_key(GdkEventKey *event);
    void finish(const std::string &window_class);

    Gtk::Invisible invisible_;
    Picked picked_;
    bool picking_ = false;
};
