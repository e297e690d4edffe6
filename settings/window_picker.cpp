#include "window_picker.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace {

// The class of the application window at or below w under the pointer:
// window managers put the application's window inside a frame of their
// own, which has no class.
std::string class_under_pointer(Display *display, Window w)
{
    for (int depth = 0; w != None && depth < 32; ++depth) {
        XClassHint hint{};
        if (XGetClassHint(display, w, &hint) != 0) {
            std::string name = hint.res_class && *hint.res_class ? hint.res_class
                               : hint.res_name                   ? hint.res_name
                                                                 : "";
            XFree(hint.res_name);
            XFree(hint.res_class);
            if (!name.empty())
                return name;
        }
        Window root = None, child = None;
        int root_x = 0, root_y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        if (!XQueryPointer(display, w, &root, &child, &root_x, &root_y, &wx, &wy, &mask))
            return "";
        w = child;
    }
    return "";
}

}  // namespace

WindowPicker::WindowPicker()
{
    invisible_.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::KEY_PRESS_MASK);
    invisible_.signal_button_press_event().connect(sigc::mem_fun(*this, &WindowPicker::on_press), false);
    invisible_.signal_key_press_event().connect(sigc::mem_fun(*this, &WindowPicker::on_key), false);
}

bool WindowPicker::start(Picked picked, std::string *why)
{
    if (picking_) {
        *why = "a pick is under way";
        return false;
    }
    invisible_.show();
    GdkDisplay *display = gdk_display_get_default();
    GdkCursor *cross = gdk_cursor_new_for_display(display, GDK_CROSSHAIR);
    const GdkGrabStatus status =
        gdk_seat_grab(gdk_display_get_default_seat(display), invisible_.get_window()->gobj(),
                      GDK_SEAT_CAPABILITY_ALL, FALSE, cross, nullptr, nullptr, nullptr);
    g_object_unref(cross);
    if (status != GDK_GRAB_SUCCESS) {
        *why = "the pointer is held by another program";
        return false;
    }
    gtk_grab_add(GTK_WIDGET(invisible_.gobj()));
    picked_ = std::move(picked);
    picking_ = true;
    return true;
}

bool WindowPicker::on_press(GdkEventButton *event)
{
    if (!picking_)
        return false;
    GdkDisplay *display = gdk_display_get_default();
    std::string name;
    if (event->button == 1 && GDK_IS_X11_DISPLAY(display)) {
        Display *x = GDK_DISPLAY_XDISPLAY(display);
        name = class_under_pointer(x, DefaultRootWindow(x));
    }
    finish(name);
    return true;
}

bool WindowPicker::on_key(GdkEventKey *event)
{
    if (picking_ && event->keyval == GDK_KEY_Escape)
        finish("");
    return true;
}

void WindowPicker::finish(const std::string &window_class)
{
    picking_ = false;
    gtk_grab_remove(GTK_WIDGET(invisible_.gobj()));
    gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
    if (picked_)
        picked_(window_class);
}
