#include "session_control.h"

#include <X11/extensions/XTest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "command_runner.h"
#include "driver_parameters.h"
#include "engine_state.h"
#include "gesture_actions.h"
#include "held_input.h"
#include "instance_lock.h"
#include "platform_x11.h"
#include "status_line.h"
#include "x_connection_watch.h"
#include "x_input.h"

namespace {

constexpr int kButtonsReported = 5;  // XQueryPointer reports buttons 1 to 5

// The exit clean-up runs once, on the first thread that claims it: the
// signal thread or a thread that found the X server gone. ending_signal is
// the signal that asked for it, 0 for the loss of the server.
std::atomic<bool> ending{false};
std::atomic<int> ending_signal{0};
thread_local bool cleaning_up = false;

const int kReleaseSignals[] = {SIGTERM, SIGINT, SIGHUP};

void release_signal_set(sigset_t *set)
{
    sigemptyset(set);
    for (int sig : kReleaseSignals)
        sigaddset(set, sig);
}

[[noreturn]] void wait_for_the_end()
{
    // Another thread is already on its way out.
    for (;;)
        pause();
}

[[noreturn]] void finish_exit()
{
    const int sig = ending_signal.load();
    fflush(stdout);
    if (sig == 0)
        _exit(1);
    // End the way the signal would have ended the process.
    signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void *release_on_signal_thread(void *)
{
    sigset_t set;
    release_signal_set(&set);
    int sig = 0;
    while (sigwait(&set, &sig) != 0) {
    }
    if (ending.exchange(true))
        wait_for_the_end();
    ending_signal = sig;
    cleaning_up = true;
    release_everything_for_exit(true);
    finish_exit();
}

[[noreturn]] void end_after_x_loss()
{
    if (cleaning_up) {
        // The clean-up's own connection lost its server halfway through the
        // release. Xlib does not come back from here, and this thread may
        // still hold what the release locks, so only what needs no X is
        // left to do: the driver parameters live in the block.
        driver_parameters_restore();
        finish_exit();
    }
    if (ending.exchange(true))
        wait_for_the_end();
    cleaning_up = true;
    fputs("gestured: lost the X server\n", stderr);
    // The connection may have been closed by the server while the server
    // itself lives on; then a fresh connection can still let go. The block
    // outlives the X server: tap-to-click and the drag lock go back to what
    // they were. Unlike the signal path, synthetic input is not stopped first.
    release_everything_for_exit(false);
    finish_exit();
}

int on_x_io_error(Display *) { end_after_x_loss(); }

void *x_watch_thread(void *arg)
{
    wait_for_x_connection_end(static_cast<Display *>(arg));
    end_after_x_loss();
}

// Each action code's name in the --debug trace; a code the switch does not
// name is not one of the engine's.
const char *gesture_name(Gesture gesture)
{
    switch (gesture) {
    case Gesture::kButtonLeft: return "GESTURE_BUTTON_LEFT";
    case Gesture::kButtonMiddle: return "GESTURE_BUTTON_MIDDLE";
    case Gesture::kButtonRight: return "GESTURE_BUTTON_RIGHT";
    case Gesture::kTapTwo: return "GESTURE_TAP_TWO";
    case Gesture::kTapThree: return "GESTURE_TAP_THREE";
    case Gesture::kScrollYDec: return "GESTURE_SCROLL_Y_DEC";
    case Gesture::kScrollYInc: return "GESTURE_SCROLL_Y_INC";
    case Gesture::kScrollXDec: return "GESTURE_SCROLL_X_DEC";
    case Gesture::kScrollXInc: return "GESTURE_SCROLL_X_INC";
    case Gesture::kZoomOut: return "GESTURE_ZOOM_OUT";
    case Gesture::kZoomIn: return "GESTURE_ZOOM_IN";
    case Gesture::kRotateCW: return "GESTURE_ROTATE_CW";
    case Gesture::kRotateCCW: return "GESTURE_ROTATE_CCW";
    case Gesture::kSwipeXDec: return "GESTURE_SWIPE_X_DEC";
    case Gesture::kSwipeXInc: return "GESTURE_SWIPE_X_INC";
    case Gesture::kMyHome: return "GESTURE_MY_HOME";
    case Gesture::kSwitchWindowsBegin: return "GESTURE_SWITCH_WINDOWS_BEGIN";
    case Gesture::kSwitchWindowsPrev: return "GESTURE_SWITCH_WINDOWS_PREV";
    case Gesture::kSwitchWindowsNext: return "GESTURE_SWITCH_WINDOWS_NEXT";
    case Gesture::kSwitchWindowsEnd: return "GESTURE_SWITCH_WINDOWS_END";
    case Gesture::kCover: return "GESTURE_COVER";
    case Gesture::kTapClick: return "GESTURE_TAP_CLICK";
    case Gesture::kDragRelease: return "GESTURE_DRAG_RELEASE";
    case Gesture::kDragPress: return "GESTURE_DRAG_PRESS";
    case Gesture::kButtonRelease: return "GESTURE_BUTTON_RELEASE";
    }
    return "unknown";
}

const char *const kInputKindNames[] = {"key tap",      "key press",    "key release",   "text",
                                       "button click", "button press", "button release"};

void trace_gesture(Gesture gesture, int32_t arg)
{
    fprintf(stderr, "gestured: gesture %s (%d), argument %d\n", gesture_name(gesture),
            static_cast<int32_t>(gesture), arg);
}

void trace_run_command(void *ctx, const char *command)
{
    fprintf(stderr, "gestured:   command: %s\n", command ? command : "");
    real_run_command(ctx, command);
}

void trace_run_aside(void *ctx, const char *command)
{
    fprintf(stderr, "gestured:   command: %s\n", command ? command : "");
    real_run_aside(ctx, command);
}

void trace_send_input(void *ctx, const char *operand, int button, InputKind kind)
{
    const int k = static_cast<int>(kind);
    const char *what =
        kind >= InputKind::kKeyTap && kind <= InputKind::kButtonRelease ? kInputKindNames[k] : "input";
    if (kind >= InputKind::kButtonClick && kind <= InputKind::kButtonRelease)
        fprintf(stderr, "gestured:   %s %d\n", what, button);
    else
        fprintf(stderr, "gestured:   %s %s\n", what, operand ? operand : "");
    real_send_input(ctx, operand, button, kind);
}

void trace_note_binding(void *, const char *text) { fprintf(stderr, "gestured:   binding %s\n", text); }

}  // namespace

void release_everything_for_exit(bool stop_input)
{
    // First no command may still be starting or running: a keydown that
    // landed after the release would stay held.
    run_commands_end_in_flight();
    if (stop_input)
        stop_synthetic_input();
    if (held_input_count() > 0) {
        if (Display *display = XOpenDisplay(nullptr)) {
            release_held_inputs(display);
            XCloseDisplay(display);
        }
    }
    driver_parameters_restore();
    status_line_end();
}

void install_release_on_signal()
{
    XInitThreads();
    install_x_error_handler();
    sigset_t set;
    release_signal_set(&set);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, release_on_signal_thread, nullptr) != 0) {
        perror("release thread create failed");
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    pthread_detach(thread);
}

namespace {

// The driver parameters an engine that died left changed, put back from its
// state file; an engine that still runs on the server (it holds the lock)
// keeps them.
void put_back_driver_parameters(Display *display)
{
    const char *name = display ? DisplayString(display) : getenv("DISPLAY");
    if (!name || !*name)
        return;
    InstanceLock lock;
    switch (instance_lock_take(&lock, "gestured", name, display ? ConnectionNumber(display) : -1)) {
    case LockResult::kTaken: break;
    case LockResult::kHeldElsewhere:
        fprintf(stderr, "gestured: still running on display %s; its driver parameters are left to it\n",
                lock.server);
        return;
    case LockResult::kUnavailable: return;
    }
    char path[kLockPathMax];
    if (instance_lock_sibling(&lock, kParameterFileSuffix, path, sizeof path))
        driver_parameters_put_back_saved(path);
    close(lock.fd);
}

// Releases through XTEST every key and button the server reports down.
void release_keys_and_buttons(Display *d)
{
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(d, &event_base, &error_base, &major, &minor)) {
        fputs("gestured: the X server has no XTEST extension\n", stderr);
        return;
    }
    char keys[32];
    XQueryKeymap(d, keys);
    for (int code = 8; code < 256; ++code) {
        if (keys[code / 8] & (1 << (code % 8)))
            XTestFakeKeyEvent(d, static_cast<unsigned>(code), False, 0);
    }
    Window root, child;
    int root_x, root_y, x, y;
    unsigned int mask = 0;
    XQueryPointer(d, DefaultRootWindow(d), &root, &child, &root_x, &root_y, &x, &y, &mask);
    for (int b = 1; b <= kButtonsReported; ++b) {
        if (mask & (Button1Mask << (b - 1)))
            XTestFakeButtonEvent(d, static_cast<unsigned>(b), False, 0);
    }
    XSync(d, False);
}

}  // namespace

int release_everything_held()
{
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        fputs("Can't open display.\n", stderr);
    else
        release_keys_and_buttons(d);
    put_back_driver_parameters(d);
    if (d)
        XCloseDisplay(d);
    return 0;
}

void end_with_x_server(Display *display, SessionHooks *hooks)
{
    XSetIOErrorHandler(on_x_io_error);
    // A thread that opens its own connection after the server has gone ends
    // the same way, not with the start-up message and exit() beside this
    // clean-up.
    hooks->display_gone = end_after_x_loss;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, x_watch_thread, display) != 0) {
        // Without the thread an idle engine notices only at its next action.
        perror("x_watch_thread create failed");
        return;
    }
    pthread_detach(thread);
}

void install_debug_trace(SessionHooks *hooks) { hooks->trace_action = trace_gesture; }

EnginePlatform engine_platform_traced()
{
    EnginePlatform traced = engine_platform_production();
    traced.run_command = trace_run_command;
    traced.run_aside = trace_run_aside;
    traced.send_input = trace_send_input;
    traced.note_binding = trace_note_binding;
    return traced;
}

void print_help()
{
    fputs(
        "Usage: gestured [-v] [-d] [--release] [--help] [--version]\n"
        "Touchpad gesture engine: turns multi-finger touches into desktop actions.\n"
        "\n"
        "  -v, --version  print the version and exit\n"
        "  -d, --debug    print each recognised gesture, the binding it uses and the\n"
        "                 input or command it leads to on standard error\n"
        "      --release  release every key and button the X server holds down, put\n"
        "                 back the driver parameters a killed engine left changed and\n"
        "                 exit (run it after the engine was stopped or killed)\n"
        "      --help     show this help and exit\n"
        "\n"
        "Only one copy runs per user and display. The engine ends when its X server\n"
        "goes, and follows the touchpad block when the driver creates it anew.\n"
        "Gestures bound in $XDG_CONFIG_HOME/vorell/gestures.conf (~/.config/vorell/\n"
        "gestures.conf) do what the file says; a change applies at once (see\n"
        "vorell-gestures(5)).\n",
        stdout);
}
