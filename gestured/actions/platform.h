// The engine's narrow seam to the outside world: the clock, sleeping, shell
// commands, synthetic X input and the focused window's title.
//
// Production (platform_x11.h) uses the real clock, /bin/sh and XTEST over the
// display connection of hotkey_event_thread. Tests build records of recorders
// so the action and drag logic runs without X, without a shell and without
// sleeping.
#pragma once

#include <cstdint>

#include "action_commands.h"

class BindingsInForce;

// What send_input sends.
enum class InputKind : int {
    kKeyTap = 0,         // key press, then key release (operand: keysym name)
    kKeyPress = 1,       // key press only (keysym name)
    kKeyRelease = 2,     // key release only (keysym name)
    kText = 3,           // the operand typed character by character
    kButtonClick = 4,    // button press, then release (button number)
    kButtonPress = 5,    // button press only
    kButtonRelease = 6,  // button release only
};

// Each function gets the record's ctx as its first argument. The record is
// built once (engine_platform_production, or a test's fakes) and handed by
// const reference to the code that uses it.
struct EnginePlatform {
    // Milliseconds on a monotonic clock: differences of two readings are
    // elapsed milliseconds, whatever happens to the time of day meanwhile.
    int64_t (*now_ms)(void *ctx);
    // Sleeps the calling thread.
    void (*sleep_ms)(void *ctx, int ms);
    // Runs one command line through /bin/sh -c and waits for it (a command
    // ending in '&' returns at once). The exit status is not reported.
    void (*run_command)(void *ctx, const char *command);
    // Synthetic input. operand is the keysym name or the text (nullptr for the
    // button kinds); button is ignored by the key kinds. Only the thread that
    // owns the engine's display connection (hotkey_event_thread) calls this.
    void (*send_input)(void *ctx, const char *operand, int button, InputKind kind);
    // Copies the focused window's title (raw bytes, zero-terminated, cut to
    // cap - 1 bytes) into buf and returns its length, or -1 when there is no
    // title. hotkey_event_thread only.
    int (*focus_title)(void *ctx, char *buf, int cap);
    void *ctx;

    // Set after ctx, so that a record that names only the six above leaves
    // these unset.
    //
    // The focused window's WM_CLASS, instance and class, each zero-terminated
    // and cut to cap - 1 bytes; false when it has none. hotkey_event_thread
    // only; null: no window has a class.
    bool (*focus_class)(void *ctx, char *instance, char *window_class, int cap) = nullptr;
    // The command lines for the tools found at the start; null: the lines of
    // /usr/local/bin/xte and /usr/bin/nautilus.
    const ActionCommands *commands = nullptr;
    // The gestures file's bindings in force; null: nothing is bound.
    const BindingsInForce *bindings = nullptr;
    // Told, for each entry a binding can take, which binding (or combo box)
    // it uses, in words (binding_use_words): the --debug trace and the
    // last-gesture line listen here. Null: nothing is told.
    void (*note_binding)(void *ctx, const char *text) = nullptr;
    // Runs a command line without waiting for it, after every line handed
    // over this way before: for the pointer images, which no later input
    // waits for. Null: run_command.
    void (*run_aside)(void *ctx, const char *command) = nullptr;

    int64_t now() const { return now_ms(ctx); }
    void sleep(int ms) const { sleep_ms(ctx, ms); }
    void run(const char *command) const { run_command(ctx, command); }
    void run_in_order(const char *command) const { (run_aside ? run_aside : run_command)(ctx, command); }
    void send(const char *operand, int button, InputKind kind) const
    {
        send_input(ctx, operand, button, kind);
    }
    int title(char *buf, int cap) const { return focus_title(ctx, buf, cap); }
    const char *xte(XteLine line) const
    {
        return (commands ? *commands : classic_action_commands()).line(line);
    }
    const char *home_command() const
    {
        return (commands ? *commands : classic_action_commands()).home.c_str();
    }
};
