// vorellidle: switches the touchpad off while keys are pressed and back on
// after the keyboard has been idle for a while.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <X11/Xlib.h>

#include "block_watch.h"
#include "clock.h"
#include "idle_monitor.h"
#include "idle_options.h"
#include "instance_lock.h"
#include "long_options.h"
#include "pid_file.h"
#include "touchpad_block.h"
#include "version.h"
#include "x_key_events.h"
#include "x_keymap.h"

namespace {

// The keyboard is read this often where the X server sends no key events,
// and the monitor looks at its clock and the block this often while it has
// the touchpad off or a key press is recent.
constexpr int64_t kPollPeriodUs = 20000;

IdleOptions g_options;
IdleMonitor g_monitor;
TouchpadSharedBlock *g_block = nullptr;
// Set once this process has written the pid file; only then is it ours to
// remove (with -p but without -d nothing was written).
std::atomic<bool> g_pid_file_written{false};

const int kCaughtSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS, SIGFPE,
                              SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGPWR};

void remove_own_pid_file()
{
    if (g_pid_file_written.load())
        unlink(g_options.pid_file);
}

// Async-signal-safe throughout: a field store, unlink, getpid and kill.
void handle_signal(int sig)
{
    enable_touchpad(g_monitor, g_block);
    remove_own_pid_file();
    kill(getpid(), sig);
}

// The X server went away. Xlib ends the program after this handler in any
// case; switch the touchpad back on first so it is not left dead.
int on_x_connection_lost(Display *)
{
    fputs("vorellidle: lost the X server\n", stderr);
    enable_touchpad(g_monitor, g_block);
    remove_own_pid_file();
    _exit(1);
}

bool poll_keyboard(Display *display)
{
    uint8_t keys[kKeyVectorBytes];
    query_x_keymap(display, keys);
    return keyboard_activity(g_monitor, keys, g_options.ignore_combos);
}

void judge_key_event(void *activity, const KeyEvent &e)
{
    if (key_event_activity(g_monitor, e, g_options.ignore_combos))
        *static_cast<bool *>(activity) = true;
}

// A key press that counts among the events the X server has sent.
bool typed_since_last_look(Display *display, KeyEventListener *listener)
{
    bool activity = false;
    take_key_events(display, listener, judge_key_event, &activity);
    return activity;
}

void print_help()
{
    fputs(
        "Usage: vorellidle [-i idle-time] [-d] [-p pid-file] [-t] [-k] [-K] [-V]\n"
        "Switches the touchpad off while keys are pressed and back on when the\n"
        "keyboard has been idle for the idle time. Keys that programs send through\n"
        "XTEST (the gesture engine's own among them) are not typing.\n"
        "\n"
        "  -i secs  seconds to wait after the last key press before enabling the\n"
        "           touchpad (default 0.5)\n"
        "  -d       start as a daemon, in the background\n"
        "  -p file  with -d, write the daemon's pid into file\n"
        "  -t       only disable tapping and scrolling, not pointer movement\n"
        "  -k       ignore modifier keys\n"
        "  -K       like -k, and ignore key presses while a modifier is held\n"
        "  -V, --version  print the version and exit\n"
        "      --help     show this help and exit\n"
        "\n"
        "One copy runs per user and display; the touchpad is switched back on when\n"
        "the program ends by a signal or loses its X server.\n",
        stdout);
}

void report_pid_file_refusal(PidFileRefusal refusal)
{
    fprintf(stderr, "Can't create pid file: %s%s\n", g_options.pid_file, pid_file_refusal_text(refusal));
}

void say(const char *word)
{
    if (g_options.daemon)
        return;
    puts(word);
    fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    if (answer_help_or_version(argc, argv, "i:dp:tkKV?", print_help, kVersionText))
        return 0;
    switch (parse_idle_options(argc, argv, g_options)) {
    case IdleCommand::kRun: break;
    case IdleCommand::kVersion: printf("%s\n", kVersionText); return 0;
    case IdleCommand::kUsage: print_idle_usage(); return 1;
    }

    static InstanceLock instance_lock;
    Display *display = nullptr;
    g_block = open_display_and_block(&instance_lock, "vorellidle", &display);
    if (!g_block)
        return 2;
    XSetIOErrorHandler(on_x_connection_lost);

    struct sigaction sa = {};
    sa.sa_handler = handle_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    for (int sig : kCaughtSignals) {
        if (sigaction(sig, &sa, nullptr) != 0) {
            perror("sigaction");
            return 2;
        }
    }

    if (g_options.daemon && g_options.pid_file) {
        // The daemon writes the file after the parent has reported success:
        // refuse here, while the failure can still be seen, what it would
        // refuse then. The daemon works from "/", so a relative name is
        // looked at from there.
        std::string name = g_options.pid_file;
        if (!name.empty() && name[0] != '/')
            name = "/" + name;
        PidFileRefusal refusal = check_pid_file_path(name.c_str());
        if (refusal != PidFileRefusal::kNotRefused) {
            report_pid_file_refusal(refusal);
            XCloseDisplay(display);
            return 2;
        }
    }

    if (g_options.daemon) {
        pid_t pid = fork();
        if (pid < 0) {
            perror("fork");
            return 3;
        }
        if (pid > 0)
            _exit(0);
        setsid();
        if (chdir("/") != 0) {
            perror("chdir");
            return 2;
        }
        umask(0);
        instance_lock_note_pid(&instance_lock);
        if (g_options.pid_file) {
            PidFileRefusal refusal;
            if (!write_pid_file(g_options.pid_file, getpid(), &refusal)) {
                if (refusal != PidFileRefusal::kNotRefused)
                    report_pid_file_refusal(refusal);  // something was put there since
                else
                    perror("Can't create pid file");
                XCloseDisplay(display);
                return 2;
            }
            g_pid_file_written.store(true);
        }
    }

    // Keycodes listed in the modifier mapping.
    uint8_t modifier_codes[8 * 255] = {};
    int modifier_count = 0;
    if (g_options.ignore_modifiers) {
        XModifierKeymap *map = XGetModifierMapping(display);
        if (map) {
            modifier_count = 8 * map->max_keypermod;
            if (modifier_count > static_cast<int>(sizeof modifier_codes))
                modifier_count = sizeof modifier_codes;
            for (int i = 0; i < modifier_count; ++i)
                modifier_codes[i] = map->modifiermap[i];
            XFreeModifiermap(map);
        }
    }
    idle_monitor_init(g_monitor, modifier_codes, modifier_count, g_options.ignore_modifiers);
    // Key presses come as events where the X server sends them; the keyboard
    // is read once here for the keys already down.
    static KeyEventListener listener;
    const bool key_events = listen_for_key_events(display, &listener);
    if (key_events) {
        uint8_t keys[kKeyVectorBytes];
        query_x_keymap(display, keys);
        typed_keys_start(g_monitor, keys, g_options.ignore_combos);
    } else {
        fputs(
            "vorellidle: no XInput 2 key events from this X server; reading the keyboard every 20 ms "
            "(keys sent through XTEST count as typing).\n",
            stderr);
        poll_keyboard(display);  // primes the previous key vector
    }
    BlockWatch block_watch;
    block_watch_init(&block_watch);

    for (;;) {
        const bool activity = key_events ? typed_since_last_look(display, &listener) : poll_keyboard(display);
        // After a driver restart the new block lies where the old one was;
        // whatever this monitor had switched off belonged to the old one.
        const BlockCheck block = key_events
                                     ? block_watch_idle_poll(&block_watch, g_block, "vorellidle", activity)
                                     : block_watch_poll(&block_watch, g_block, "vorellidle");
        if (block == BlockCheck::kReplaced)
            g_monitor.disabled_by_monitor.store(false);
        const double now = static_cast<double>(monotonic_now_us()) / 1e6;
        switch (idle_poll(g_monitor, g_options, g_block, now, activity)) {
        case IdleChange::kUnchanged: break;
        case IdleChange::kEnabled: say("Enable"); break;
        case IdleChange::kDisabled: say("Disable"); break;
        }
        if (!key_events)
            sleep_microseconds(kPollPeriodUs);
        else if (idle_poll_needed(g_monitor, g_options, now))
            wait_for_x(display, kPollPeriodUs);
        else
            // Nothing to do until a key is pressed; a lost X server also
            // wakes this wait (the socket closes).
            wait_for_x(display, block_watch_idle_wait_us(&block_watch));
    }
}
