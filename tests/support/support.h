// Helpers shared by the integration tests: running the built programs with
// their output captured, a private IPC namespace per test (the block's key is
// one per namespace), and a private Xvfb server.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Moves the calling process (and every child it starts from now on) into a
// fresh IPC namespace, so each test sees its own block or none. Needs root.
void enter_private_ipc();

// Gives the calling process (and its children from now on) a mount
// namespace of its own with an empty /tmp (and an empty /run/user where
// there is one), for a test of what a program makes there itself: it all
// goes with the process. Needs root; call it before make_temp_dir or a
// program run, whose folders are in the old /tmp.
void enter_private_tmp();

// Undoes a mount over `target` when it goes out of scope (lazily, so that a
// program still busy there does not keep it), so that the tests after the one
// that made it, in the same process, see the folder or file as it was.
class UnmountAtEnd {
public:
    explicit UnmountAtEnd(std::string target) : target_(std::move(target)) {}
    ~UnmountAtEnd();
    UnmountAtEnd(const UnmountAtEnd &) = delete;
    UnmountAtEnd &operator=(const UnmountAtEnd &) = delete;

private:
    std::string target_;
};

// Path of a program built by this project (the build's bin folder).
std::string bin_path(const std::string &name);
// The build's bin folder, also put first on PATH by the helpers below so that
// programs that run our clients by name find the ones just built.
std::string bin_dir();
std::string source_dir();

// The daemons of a session: gestured, vorellidle and the build's watchers.
std::vector<std::string> daemon_programs();

struct RunResult {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string input;             // written to standard input, then closed
    std::vector<std::string> env;  // extra NAME=value entries
    std::string cwd;               // working directory ("" = unchanged)
    double timeout_s = 20.0;       // killed with SIGKILL after this
};

// Runs argv[0] (looked up on PATH, with bin_dir() first) and waits for it.
RunResult run_program(const std::vector<std::string> &argv, const RunOptions &opt = {});

// Shorthand for running the touchpad simulator; fails the test on a non-zero
// status.
void tpsim(const std::vector<std::string> &args);

// A program running in the background with its output in files.
class Background {
public:
    Background(const std::vector<std::string> &argv, const RunOptions &opt = {});
    ~Background();
    Background(const Background &) = delete;
    Background &operator=(const Background &) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Sends sig and waits up to timeout_s; returns the status as RunResult does.
    int stop(int sig = 15, double timeout_s = 5.0);
    // Waits for the process to end on its own.
    int wait(double timeout_s);
    std::string out() const;
    std::string err() const;
    // Polls out() until it contains text or timeout_s passes.
    bool wait_for_output(const std::string &text, double timeout_s);

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string out_path_, err_path_;
};

// A private X server on a free display number, ended with the object;
// extra_args go to the server after its own (see xvfb_launch.h).
class Xvfb {
public:
    explicit Xvfb(const std::vector<std::string> &extra_args = {});
    ~Xvfb();
    Xvfb(const Xvfb &) = delete;
    Xvfb &operator=(const Xvfb &) = delete;
    const std::string &display() const { return display_; }
    // "DISPLAY=:N", for RunOptions::env.
    std::string env() const { return "DISPLAY=" + display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

std::string read_file(const std::string &path);
// The first line of a file, without its newline ("" when there is none).
std::string first_line(const std::string &path);
// How many times part occurs in text (overlapping ones too).
int count_of(const std::string &text, const std::string &part);

// A fresh empty folder under /tmp (mode 0700). Every folder made here is
// removed with what it holds when the test process ends, so a test leaves
// nothing behind in /tmp.
std::string make_temp_dir();

// The programs the tests run get a runtime folder (XDG_RUNTIME_DIR) of the
// test process's own, made with make_temp_dir, so that their instance locks
// stay out of the session's folder and out of /tmp, and a configuration
// folder (XDG_CONFIG_HOME) of its own, so that no gestures file of the
// machine's user reaches them; a test that names its own in RunOptions::env
// has that one.

void sleep_ms(int ms);
// Seconds on a monotonic clock.
double monotonic_s();
// Polls cond every 5 ms until it holds or timeout_s passes.
bool wait_until(const std::function<bool()> &cond, double timeout_s = 10.0);
// True if cond holds at every 5 ms check for duration_s.
bool holds_for(const std::function<bool()> &cond, double duration_s);

// True when the process is gone, or a zombie that can do nothing more.
bool process_gone(const std::string &pid);
