// gestured: the touchpad gesture engine. Puts the driver into the state the
// engine expects, then runs the five engine threads until it is killed.
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "command_runner.h"
#include "driver_parameters.h"
#include "engine_state.h"
#include "held_input.h"
#include "sampler.h"

namespace {

const char kVersion[] = "QPX7.1.3.10";

// Run in this order before anything else: the finger-record layout the
// sampler reads, the driver's own one-finger tap on, its two- and
// three-finger taps off (the engine recognises those itself).
const char *const kStartupCommands[] = {
    "vorellctl2 NewStruct=1",
    "vorellctl TapButton1=1",
    "vorellctl TapButton2=0",
    "vorellctl TapButton3=0",
};

struct SemaphoreStep {
    sem_t *sem;
    const char *failure;
};

const SemaphoreStep kSemaphores[] = {
    {&get_data_sem, "get_data_sem init failed"},
    {&ctrl_data_sem, "ctrl_data_sem init failed"},
    {&ctrl_drag_sem, "ctrl_drag_sem init failed"},
    {&auto_scroll_sem, "auto_scroll_sem init failed"},
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

[[noreturn]] void fail(int error, const char *message) {
    errno = error;
    perror(message);
    exit(1);
}

}  // namespace

int main(int argc, char **argv) {
    int opt;
    while ((opt = getopt(argc, argv, "v")) != -1) {
        if (opt == 'v') {
            printf("%s\n", kVersion);
            return 0;
        }
        // getopt has already printed its diagnostic; start up all the same.
    }

    // What the start-up and drag commands change is put back when a signal
    // ends the engine.
    driver_parameters_remember();
    for (const char *cmd : kStartupCommands)
        run_command_bounded(cmd);  // a missing client or block is not noticed here

    // Before any thread exists: the threads inherit the blocked signals, and
    // a signal then releases whatever the engine holds down before it ends
    // the process.
    install_release_on_signal();

    reset_engine_state();
    for (const SemaphoreStep &s : kSemaphores) {
        if (sem_init(s.sem, 0, 0) != 0) fail(errno, s.failure);
    }

    pthread_t threads[kThreadCount];
    for (int i = 0; i < kThreadCount; ++i) {
        int rc = pthread_create(&threads[i], nullptr, kThreads[i].body, nullptr);
        if (rc != 0) fail(rc, kThreads[i].create_failure);
    }

    for (int i = 0; i < kThreadCount; ++i) {
        void *result = nullptr;
        int rc = pthread_join(threads[i], &result);
        if (rc != 0) fail(rc, kThreads[i].join_failure);
        if (result == &sampler_gave_up) {
            // The block could not be attached: the attach messages are out,
            // and without samples the engine has nothing to do.
            exit(1);
        }
    }

    printf("Thread joined\n");
    sem_destroy(&get_data_sem);
    sem_destroy(&ctrl_data_sem);
    return 0;
}
