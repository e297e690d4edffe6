#include "platform.h"

#include <signal.h>
#include <spawn.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cerrno>
#include <cstring>

#include "held_input.h"
#include "x_input.h"

extern char **environ;

EnginePlatform engine_platform = {
    real_now_ms, real_sleep_ms, real_run_command, real_send_input, real_focus_title,
};

int64_t real_now_ms()
{
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return static_cast<int64_t>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}

void real_sleep_ms(int ms)
{
    if (ms > 0)
        usleep(static_cast<useconds_t>(ms) * 1000);
}

// The same as system(), without system()'s process-wide changes to the
// dispositions of SIGINT and SIGQUIT (which would lose a SIGINT that arrives
// while another thread waits for a command): /bin/sh -c runs the line with
// default signal dispositions and an empty signal mask, and the calling
// thread waits for it.
void real_run_command(const char *command)
{
    if (!command)
        return;
    note_command_downs(command);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGHUP);
    sigaddset(&defaults, SIGQUIT);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char sh[] = "sh", dash_c[] = "-c";
    char *argv[] = {sh, dash_c, const_cast<char *>(command), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ) == 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawnattr_destroy(&attr);
    note_command_ups(command);
}

void real_send_input(const char *operand, int button, InputKind kind)
{
    // A press is noted before it is sent and a release after, so that a
    // signal in between never misses something held.
    if (kind == KEY_PRESS)
        held_key_down(operand);
    else if (kind == BUTTON_PRESS)
        held_button_down(button);
    send_input(hotkey_display, operand, button, kind);
    if (kind == KEY_RELEASE)
        held_key_up(operand);
    else if (kind == BUTTON_RELEASE)
        held_button_up(button);
}

int real_focus_title(char *buf, int cap)
{
    if (!buf || cap <= 0)
        return -1;
    char *title = get_focus_window_name(hotkey_display);
    if (!title)
        return -1;
    int n = static_cast<int>(strnlen(title, static_cast<size_t>(cap - 1)));
    memcpy(buf, title, static_cast<size_t>(n));
    buf[n] = 0;
    XFree(title);
    return n;
}
