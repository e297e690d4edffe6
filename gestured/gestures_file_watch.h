// The engine's watch over the gestures file: it is read at the start and
// again at once after every change (an editor that writes it in place or
// replaces it, a file or folder created later, a file removed), and what
// counts is installed for the action thread. Messages go to standard error:
// each line that cannot be used as "FILE:LINE: what is wrong", and one line
// per reading. The thread blocks on inotify; it never wakes for nothing.
#pragma once

#include <pthread.h>

#include <memory>
#include <string>

#include "bound_gestures.h"

class GesturesFileWatch {
public:
    GesturesFileWatch() = default;
    GesturesFileWatch(const GesturesFileWatch &) = delete;
    GesturesFileWatch &operator=(const GesturesFileWatch &) = delete;
    ~GesturesFileWatch();

    // Reads the file and installs what counts into `into` before it returns,
    // then starts the thread. False (and nothing started, the first reading
    // still installed) when the thread or its inotify cannot be had. A
    // missing file is said when tell_missing is set, else only when it goes
    // away after binding something.
    bool start(const std::string &path, BindingsInForce *into, bool tell_missing = false);
    // Ends the thread (for tests; the engine's lives as long as it does).
    void stop();

private:
    static void *run(void *self);
    void read_now();
    // Watches the file's folder, or the nearest folder above it that exists.
    void watch_nearest_folder();
    // Waits for the next change that may concern the file; false on stop.
    bool wait_for_change();

    std::string path_, folder_, name_;
    BindingsInForce *into_ = nullptr;
    bool tell_missing_ = false;
    std::shared_ptr<const GestureBindings> in_force_;
    int inotify_ = -1;
    int watch_ = -1;
    std::string watched_;
    int stop_pipe_[2] = {-1, -1};
    pthread_t thread_{};
    bool running_ = false;
};
