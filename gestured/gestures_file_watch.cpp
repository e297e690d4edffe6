#include "gestures_file_watch.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Editors write a file in several steps; the reading waits until the folder
// has been quiet this long.
constexpr int kQuietMs = 50;

constexpr uint32_t kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CLOSE_WRITE |
                                   IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool is_folder(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void say(const std::string &line) { fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace

GesturesFileWatch::~GesturesFileWatch() { stop(); }

bool GesturesFileWatch::start(const std::string &path, BindingsInForce *into, bool tell_missing)
{
    path_ = path;
    into_ = into;
    tell_missing_ = tell_missing;
    const size_t slash = path.rfind('/');
    folder_ = slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotify_ >= 0)
        watch_nearest_folder();
    read_now();
    if (inotify_ < 0 || pipe2(stop_pipe_, O_CLOEXEC) != 0) {
        say("gestured: cannot watch " + path_ + " (" + strerror(errno) + "): a change takes a restart");
        return false;
    }
    running_ = pthread_create(&thread_, nullptr, run, this) == 0;
    return running_;
}

void GesturesFileWatch::stop()
{
    if (running_) {
        char one = 1;
        if (write(stop_pipe_[1], &one, 1) == 1)
            pthread_join(thread_, nullptr);
        running_ = false;
    }
    for (int *fd : {&inotify_, &stop_pipe_[0], &stop_pipe_[1]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

void *GesturesFileWatch::run(void *self)
{
    pthread_setname_np(pthread_self(), "gestured-config");
    GesturesFileWatch *w = static_cast<GesturesFileWatch *>(self);
    while (w->wait_for_change())
        w->read_now();
    return nullptr;
}

void GesturesFileWatch::watch_nearest_folder()
{
    std::string folder = folder_;
    while (!is_folder(folder) && folder.size() > 1) {
        const size_t slash = folder.rfind('/');
        folder = slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
    }
    if (watch_ >= 0 && folder == watched_)
        return;
    if (watch_ >= 0)
        inotify_rm_watch(inotify_, watch_);
    watch_ = inotify_add_watch(inotify_, folder.c_str(), kFolderEvents);
    watched_ = folder;
}

bool GesturesFileWatch::wait_for_change()
{
    bool changed = false;
    int timeout = -1;
    for (;;) {
        struct pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
        const int n = poll(fds, 2, timeout);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || fds[1].revents != 0)
            return false;
        if (n == 0)
            break;  // quiet since the last change
        alignas(struct inotify_event) char buffer[4096];
        const ssize_t got = read(inotify_, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto *e = reinterpret_cast<const struct inotify_event *>(buffer + at);
            at += static_cast<ssize_t>(sizeof *e + e->len);
            const bool in_own_folder = watched_ == folder_;
            // In the file's own folder only the file's name matters; in a
            // folder above, anything made there may be the missing folder.
            if (e->len == 0 || !in_own_folder || name_ == e->name)
                changed = true;
            if (e->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF))
                watch_ = -1;
        }
        if (changed)
            timeout = kQuietMs;
    }
    watch_nearest_folder();
    return true;
}

void GesturesFileWatch::read_now()
{
    const GesturesFileReading reading = read_gestures_file(path_);
    for (const std::string &p : reading.bindings.problems)
        say(p);
    switch (reading.state) {
    case GesturesFileState::kRead:
        say("gestured: " + path_ + ": " + std::to_string(reading.bindings.count()) +
            (reading.bindings.count() == 1 ? " binding" : " bindings"));
        break;
    case GesturesFileState::kMissing:
        // Most people have no file: only its going away is news.
        if (tell_missing_ || (in_force_ && in_force_->count() > 0))
            say("gestured: no " + path_ + ": every gesture does what the settings say");
        break;
    case GesturesFileState::kUnreadable:
        say("gestured: cannot read " + path_ + " (" + reading.why + ")" +
            (in_force_ ? ": the bindings read before stay in force" : ""));
        break;
    }
    in_force_ = bindings_after_reading(in_force_, reading);
    into_->install(in_force_);
}
