#include "platform_x11.h"

#include <unistd.h>

#include <X11/Xlib.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "clock.h"
#include "command_queue.h"
#include "command_runner.h"
#include "driver_parameters.h"
#include "held_input.h"
#include "x_input.h"

EnginePlatform engine_platform_production()
{
    EnginePlatform p{real_now_ms,     real_sleep_ms,    real_run_command,
                     real_send_input, real_focus_title, nullptr};
    p.focus_class = real_focus_class;
    p.run_aside = real_run_aside;
    return p;
}

int64_t real_now_ms(void *) { return monotonic_now_ms(); }

void real_sleep_ms(void *, int ms)
{
    if (ms > 0)
        usleep(static_cast<useconds_t>(ms) * 1000);
}

// /bin/sh -c runs the line, waited for within the engine's bound (see
// command_runner.h). Unlike system(), nothing process-wide changes while a
// thread waits, so a signal to the engine is never lost meanwhile. What the
// line holds down and which driver parameters it sets are noted for the
// engine's clean-up at its end.
void real_run_command(void *, const char *command)
{
    if (!command)
        return;
    note_command_downs(command);
    driver_parameters_note_command(command);
    run_command_bounded(command);
    note_command_ups(command);
}

void real_run_aside(void *, const char *command) { run_command_in_order(command); }

namespace {

// Held by the thread that sends synthetic input for the length of one send;
// stop_synthetic_input takes it, so that no send is under way when it
// returns and none starts after. A plain mutex, tried in a bounded loop:
// std::timed_mutex locks through pthread_mutex_clocklock, which the thread
// sanitizer's runtime of this compiler does not see, so it took the unlock
// that follows for the unlock of a mutex nobody held.
std::mutex send_mutex;
std::atomic<bool> input_stopped{false};

constexpr int kStopWaitMs = 1000;  // a send stuck longer than this is not waited for

}  // namespace

void stop_synthetic_input()
{
    bool locked = send_mutex.try_lock();
    for (int waited = 0; !locked && waited < kStopWaitMs; ++waited) {
        usleep(1000);
        locked = send_mutex.try_lock();
    }
    input_stopped = true;
    if (locked)
        send_mutex.unlock();
}

void real_send_input(void *, const char *operand, int button, InputKind kind)
{
    std::lock_guard<std::mutex> lock(send_mutex);
    if (input_stopped)
        return;
    // A press is noted before it is sent and a release after, so that a
    // signal in between never misses something held.
    if (kind == InputKind::kKeyPress)
        held_key_down(operand);
    else if (kind == InputKind::kButtonPress)
        held_button_down(button);
    send_input(hotkey_display, operand, button, kind);
    if (kind == InputKind::kKeyRelease)
        held_key_up(operand);
    else if (kind == InputKind::kButtonRelease)
        held_button_up(button);
}

int real_focus_title(void *, char *buf, int cap)
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

bool real_focus_class(void *, char *instance, char *window_class, int cap)
{
    return get_focus_window_class(hotkey_display, instance, window_class, cap);
}
