// gestured: the touchpad gesture engine. Puts the driver into the state the
// engine expects, then runs the five engine threads until it is killed.
#include <errno.h>
#include <malloc.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include "driver_parameters.h"
#include "engine_state.h"
#include "gestures_file_watch.h"
#include "instance_lock.h"
#include "long_options.h"
#include "platform_x11.h"
#include "sampler_thread.h"
#include "session_control.h"
#include "status_line.h"
#include "touchpad_block.h"
#include "version.h"

namespace {

// Run in this order before anything else: the finger-record layout the
// sampler reads, the driver's own one-finger tap on, its two- and
// three-finger taps off (the engine recognises those itself).
const char *const kStartupCommands[] = {
    "vorellctl2 NewStruct=1",
    "vorellctl TapButton1=1",
    "vorellctl TapButton2=0",
    "vorellctl TapButton3=0",
};

struct ThreadStep {
    void *(*body)(void *);
    const char *create_failure;
    const char *join_failure;
};

const ThreadStep kThreads[] = {
    {get_data_thread, "data_thread create failed", "get_data_thread join failed"},
    {ctrl_data_thread, "ctrl_data_thread create failed", "ctrl_data_thread join failed"},
    {hotkey_event_thread, "hotkey_event_thread create failed", "hotkey_event_thread join failed"},
    {drag_event_thread, "drag_event_thread create failed", "drag_event_thread join failed"},
    {auto_scroll_thread, "auto_scroll_thread create failed", "auto_scroll_thread join failed"},
};
constexpr int kThreadCount = sizeof kThreads / sizeof kThreads[0];
// The engine threads' stacks: their deepest calls (Xlib's locale and text
// conversions on the action thread) use a few tens of KiB; the default of
// 8 MiB each only costs address space and page tables.
constexpr size_t kThreadStackBytes = size_t{256} * 1024;

[[noreturn]] void fail(int error, const char *message)
{
    errno = error;
    perror(message);
    exit(1);
}

void run_startup_commands()
{
    // What the start-up and drag commands change is put back when a signal
    // ends the engine.
    driver_parameters_remember();
    for (const char *cmd : kStartupCommands)
        real_run_command(nullptr, cmd);  // a missing client or block is not noticed here
}

// The same commands once the engine runs, after a driver restart: on a
// thread of their own, so that the sampler goes on sampling meanwhile, and
// like every command of the running engine, bounded.
void *rerun_startup_commands(void *arg)
{
    const EnginePlatform &platform = *static_cast<const EnginePlatform *>(arg);
    // The new block's own values are the ones to put back at the end.
    driver_parameters_remember();
    for (const char *cmd : kStartupCommands)
        platform.run(cmd);
    return nullptr;
}

const char kOptions[] = "vd";
InstanceLock instance_lock;
// The words the engine threads share, the platform and the sampler's ports
// they reach the outside through, and the session's hooks: filled by main
// before the threads start and handed to each of them.
EngineShared shared;
EnginePlatform platform;
SamplerPorts sampler_ports;
SessionHooks hooks;
const EngineThreadArgs thread_args{&shared, &platform, &sampler_ports, &hooks};
// The command lines of the tools found at the start, and the gestures
// file's bindings, which the action thread reads through the platform.
ActionCommands tool_commands;
BindingsInForce bindings;
GesturesFileWatch gestures_file_watch;

struct SemaphoreStep {
    sem_t *sem;
    const char *failure;
};

// Created in this order; the messages name the engine's hand-offs.
const SemaphoreStep kSemaphores[] = {
    {&shared.ring.posted, "get_data_sem init failed"},
    {&shared.queue.posted, "ctrl_data_sem init failed"},
    {&shared.drag.events, "ctrl_drag_sem init failed"},
    {&shared.scroll.starts, "auto_scroll_sem init failed"},
};

// Where xte and the file manager are is looked up once, here.
void find_tools()
{
    std::string note;
    tool_commands = choose_action_commands(ToolSearch{executable_file, nullptr, getenv("PATH")}, &note);
    if (!note.empty())
        fprintf(stderr, "%s\n", note.c_str());
    platform.commands = &tool_commands;
}

// With --debug a missing file is said too.
void watch_gestures_file(bool debug)
{
    platform.bindings = &bindings;
    gestures_file_watch.start(users_gestures_file_path(), &bindings, debug);
}

// The last gesture in words beside the lock, for the settings window.
void keep_last_gesture()
{
    char path[kLockPathMax];
    if (instance_lock.fd >= 0 &&
        instance_lock_sibling(&instance_lock, kLastGestureSuffix, path, sizeof path) &&
        !status_line_attach(&platform, path))
        perror("status line thread create failed");
}

void block_replaced()
{
    pthread_t thread;
    if (pthread_create(&thread, nullptr, rerun_startup_commands, &platform) == 0)
        pthread_detach(thread);
    else
        rerun_startup_commands(&platform);
}

}  // namespace

int main(int argc, char **argv)
{
    // One malloc arena for all threads: the engine allocates little, and an
    // arena per thread would keep its own pages resident.
    mallopt(M_ARENA_MAX, 1);
    if (answer_help_or_version(argc, argv, kOptions, print_help, kVersionText))
        return 0;
    bool debug = take_long_flag(&argc, argv, kOptions, "debug") > 0;
    const bool release = take_long_flag(&argc, argv, kOptions, "release") > 0;

    int opt;
    while ((opt = getopt(argc, argv, kOptions)) != -1) {
        if (opt == 'v') {
            printf("%s\n", kVersionText);
            return 0;
        }
        if (opt == 'd')
            debug = true;
        // getopt has already printed its diagnostic; start up all the same.
    }
    if (release)
        return release_everything_held();

    // Before any other Xlib call, for the threads that use X.
    XInitThreads();
    // The connection that tells when the X server goes; with it open, one
    // copy per display. (Without a display the action thread reports it.)
    Display *watch_display = XOpenDisplay(nullptr);
    if (watch_display && !instance_lock_or_exit(&instance_lock, "gestured", DisplayString(watch_display),
                                                ConnectionNumber(watch_display)))
        exit(1);
    // The user's driver parameters are kept beside the lock while the engine
    // runs, for the release step after a crash and for the next start.
    char state_path[kLockPathMax];
    if (watch_display &&
        instance_lock_sibling(&instance_lock, kParameterFileSuffix, state_path, sizeof state_path))
        driver_parameters_keep_in(state_path);

    // Another user's block is not touched, not even through the clients:
    // the sampler waits for a proper one and runs these commands then.
    BlockSeen seen;
    if (look_at_block(&seen) != BlockLook::kUntrusted)
        run_startup_commands();
    // After a driver restart the new block gets the same start-up settings.
    hooks.block_replaced = block_replaced;
    platform = debug ? engine_platform_traced() : engine_platform_production();
    sampler_ports = engine_sampler_ports(&shared);
    if (debug)
        install_debug_trace(&hooks);

    // Before any thread exists: the threads inherit the blocked signals, and
    // a signal then releases whatever the engine holds down before it ends
    // the process.
    install_release_on_signal();
    if (watch_display)
        end_with_x_server(watch_display, &hooks);
    find_tools();
    watch_gestures_file(debug);
    keep_last_gesture();

    shared.reset();
    for (const SemaphoreStep &s : kSemaphores) {
        if (sem_init(s.sem, 0, 0) != 0)
            fail(errno, s.failure);
    }

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kThreadStackBytes);
    pthread_t threads[kThreadCount];
    for (int i = 0; i < kThreadCount; ++i) {
        int rc = pthread_create(&threads[i], &attr, kThreads[i].body,
                                const_cast<EngineThreadArgs *>(&thread_args));
        if (rc != 0)
            fail(rc, kThreads[i].create_failure);
    }
    pthread_attr_destroy(&attr);

    for (int i = 0; i < kThreadCount; ++i) {
        void *result = nullptr;
        int rc = pthread_join(threads[i], &result);
        if (rc != 0)
            fail(rc, kThreads[i].join_failure);
        if (result == &sampler_gave_up) {
            // The block could not be attached: the attach messages are out,
            // and without samples the engine has nothing to do.
            exit(1);
        }
    }

    printf("Thread joined\n");
    sem_destroy(&shared.ring.posted);
    sem_destroy(&shared.queue.posted);
    return 0;
}
