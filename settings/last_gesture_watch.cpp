#include "last_gesture_watch.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include "instance_lock.h"
#include "plain_file.h"

namespace {

constexpr size_t kShownMax = 300;

}  // namespace

std::string last_gesture_shown(const std::string &text)
{
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > kShownMax)
        line.resize(kShownMax);
    gchar *valid = g_utf8_make_valid(line.data(), static_cast<gssize>(line.size()));
    std::string shown = valid;
    g_free(valid);
    return shown;
}

void LastGestureWatch::start(GdkDisplay *display, sigc::slot<void, const std::string &> show)
{
    show_ = std::move(show);
    if (!display || !GDK_IS_X11_DISPLAY(display))
        return;
    Display *x = gdk_x11_display_get_xdisplay(display);
    char server[128];
    instance_server_key(DisplayString(x), ConnectionNumber(x), server, sizeof server);
    char path[kLockPathMax];
    if (!instance_file_path("gestured", server, kLastGestureSuffix, path, sizeof path))
        return;
    path_ = path;
    try {
        monitor_ = Gio::File::create_for_path(path_)->monitor_file();
    } catch (const Glib::Error &) {
        read();  // without a monitor the line stays as first read
        return;
    }
    monitor_->signal_changed().connect([this](const Glib::RefPtr<Gio::File> &,
                                              const Glib::RefPtr<Gio::File> &,
                                              Gio::FileMonitorEvent) { read(); });
    read();
}

void LastGestureWatch::read()
{
    std::string text;
    int error = 0;
    std::string why;
    if (!read_plain_file(path_, &text, &error, &why))
        text.clear();
    show_(last_gesture_shown(text));
}
