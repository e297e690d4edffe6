// xrecord: prints every key and button event that reaches the X server, one
// line each, and owns the focused window (whose title it can set), so that
// tests and the demo can see what the engine really sent.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "record_session.h"

namespace {

const char kUsage[] =
    "Usage: xrecord [--title TEXT]\n"
    "Records the keys and buttons that reach the X server ($DISPLAY) and prints\n"
    "one line per event:  MILLISECONDS EVENT DETAIL\n"
    "  MILLISECONDS  since the recorder started (arrival time here)\n"
    "  EVENT         KeyPress, KeyRelease, ButtonPress or ButtonRelease\n"
    "  DETAIL        the key's name (Alt_L) or the button number (5)\n"
    "It maps a window over the whole screen that holds the input focus; --title\n"
    "sets that window's title, and a line \"title TEXT\" on standard input\n"
    "changes it (answered by \"title set\"). \"ready\" is printed once recording.\n";

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

// Reads what is available on standard input and acts on complete lines.
// Returns false at end of input.
bool read_commands(RecordSession *s, char *buf, size_t cap, size_t *len)
{
    ssize_t n = read(0, buf + *len, cap - 1 - *len);
    if (n <= 0)
        return false;
    *len += static_cast<size_t>(n);
    buf[*len] = 0;
    char *line = buf;
    char *nl;
    while ((nl = strchr(line, '\n')) != nullptr) {
        *nl = 0;
        if (strncmp(line, "title ", 6) == 0) {
            record_set_title(s, line + 6);
            printf("title set\n");
            fflush(stdout);
        }
        line = nl + 1;
    }
    *len = strlen(line);
    memmove(buf, line, *len + 1);
    if (*len == cap - 1)
        *len = 0;  // an overlong line is dropped
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *title = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            title = argv[++i];
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
    printf("ready\n");
    fflush(stdout);

    bool input_open = true;
    char buf[512];
    size_t len = 0;
    for (;;) {
        if (!record_poll(&session, 20)) {
            fprintf(stderr, "xrecord: lost the X connection\n");
            return 2;
        }
        if (input_open) {
            struct pollfd in = {0, POLLIN, 0};
            if (poll(&in, 1, 0) > 0)
                input_open = read_commands(&session, buf, sizeof buf, &len);
        }
    }
}
