// xrecord: prints every key and button event that reaches the X server, one
// line each, and owns the focused window (whose title it can set), so that
// tests and the demo can see what the engine really sent.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xutil.h>

#include "record_session.h"

namespace {

const char kUsage[] =
    "Usage: xrecord [--title TEXT] [--class NAME]\n"
    "Records the keys and buttons that reach the X server ($DISPLAY) and prints\n"
    "one line per event:  MILLISECONDS EVENT DETAIL\n"
    "  MILLISECONDS  since the recorder started (arrival time here)\n"
    "  EVENT         KeyPress, KeyRelease, ButtonPress or ButtonRelease\n"
    "  DETAIL        the key's name (Alt_L) or the button number (5)\n"
    "It maps a window over the whole screen that holds the input focus and takes\n"
    "the pointer; --title sets that window's title, --class its WM_CLASS (NAME\n"
    "as both instance and class). \"ready\" is printed once recording. It runs\n"
    "until it is killed.\n";

int64_t start_us;

void print_event(const RecordedEvent &e, void *ctx)
{
    RecordSession *s = static_cast<RecordSession *>(ctx);
    const double ms = static_cast<double>(e.arrival_us - start_us) / 1000.0;
    if (e.type == KeyPress || e.type == KeyRelease)
        printf("%.3f %s %s\n", ms, record_event_name(e.type), record_key_name(s, e.detail));
    else
        printf("%.3f %s %d\n", ms, record_event_name(e.type), e.detail);
    fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    const char *title = nullptr;
    const char *window_class = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            title = argv[++i];
        } else if (strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            window_class = argv[++i];
        } else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(kUsage, stdout);
            return 0;
        } else {
            fputs(kUsage, stderr);
            return 1;
        }
    }
    static RecordSession session;
    char err[160];
    start_us = monotonic_us();
    if (!record_open(&session, nullptr, title, print_event, &session, err, sizeof err)) {
        fprintf(stderr, "xrecord: %s\n", err);
        return 2;
    }
    if (window_class) {
        XClassHint hint{const_cast<char *>(window_class), const_cast<char *>(window_class)};
        XSetClassHint(session.control, session.window, &hint);
        XSync(session.control, False);
    }
    printf("ready\n");
    fflush(stdout);

    for (;;) {
        if (!record_poll(&session, 20)) {
            fprintf(stderr, "xrecord: lost the X connection\n");
            return 2;
        }
    }
}
