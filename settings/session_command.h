// Runs vorell-session for the window ("vorell-session start", and later
// its other commands), found on the search path, without waiting for it;
// its end is reported through the main loop with its exit status and the
// last line it wrote to standard error. One command at a time.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <glibmm.h>

class SessionCommand {
public:
    // status: the exit status, or 128 + the signal that ended it.
    using Done = std::function<void(int status, const std::string &last_error_line)>;

    // Runs "vorell-session WORDS..."; false, with the reason in *why, when
    // it could not be started.
    bool run(const std::vector<std::string> &words, Done done, std::string *why);
    bool running() const { return running_; }

private:
    // Reads what is there; false once the pipe is closed or broken.
    bool read_error_output();
    bool on_error_output(Glib::IOCondition condition);
    void on_exit(Glib::Pid pid, int wait_status);

    Done done_;
    bool running_ = false;
    int error_fd_ = -1;
    sigc::connection error_watch_;
    std::string error_text_;
};
