#include "support.h"

#include "xvfb_launch.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef VORELL_BIN_DIR
#error "VORELL_BIN_DIR must be defined"
#endif

void enter_private_ipc()
{
    if (unshare(CLONE_NEWIPC) != 0)
        throw std::runtime_error(std::string("unshare(CLONE_NEWIPC): ") + strerror(errno));
}

void enter_private_tmp()
{
    if (unshare(CLONE_NEWNS) != 0)
        throw std::runtime_error(std::string("unshare(CLONE_NEWNS): ") + strerror(errno));
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") != 0)
        throw std::runtime_error(std::string("private /tmp: ") + strerror(errno));
    struct stat st;
    if (stat("/run/user", &st) == 0 &&
        mount("tmpfs", "/run/user", "tmpfs", MS_NOSUID | MS_NODEV, "mode=755") != 0)
        throw std::runtime_error(std::string("private /run/user: ") + strerror(errno));
}

namespace {

// Every test process works in a /tmp (and /run/user) of its own from before
// its first test: what it and the programs it starts leave there (temporary
// folders, the daemons' lock folders, X server sockets) goes with it, and
// parallel tests never meet in them. Without root there is no namespace to
// enter; the tests that need one fail on their own then.
struct PrivateTmpForEveryTest {
    PrivateTmpForEveryTest()
    {
        if (geteuid() != 0)
            return;
        try {
            enter_private_tmp();
        } catch (const std::exception &e) {
            fprintf(stderr, "test support: %s; using the shared /tmp\n", e.what());
        }
    }
} private_tmp_for_every_test;

}  // namespace

UnmountAtEnd::~UnmountAtEnd() { umount2(target_.c_str(), MNT_DETACH); }

std::string bin_dir() { return VORELL_BIN_DIR; }
std::string source_dir() { return VORELL_SOURCE_DIR; }
std::string bin_path(const std::string &name) { return bin_dir() + "/" + name; }

std::vector<std::string> daemon_programs()
{
    std::vector<std::string> programs = {"gestured", "vorellidle"};
    std::istringstream watchers(VORELL_WATCHER_PROGRAMS);
    for (std::string w; watchers >> w;)
        programs.push_back(w);
    return programs;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string first_line(const std::string &path)
{
    std::ifstream in(path);
    std::string s;
    std::getline(in, s);
    return s;
}

namespace {

int remove_entry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

// The folders make_temp_dir made, removed when the process that made them
// ends (a forked child that exits leaves them alone).
class TempDirs {
public:
    ~TempDirs()
    {
        if (getpid() != owner_)
            return;
        for (const std::string &dir : dirs_)
            nftw(dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    }
    void add(const std::string &dir) { dirs_.push_back(dir); }

private:
    pid_t owner_ = getpid();
    std::vector<std::string> dirs_;
};

TempDirs &temp_dirs()
{
    static TempDirs dirs;
    return dirs;
}

const std::string &runtime_dir()
{
    static const std::string dir = make_temp_dir();
    return dir;
}

const std::string &config_dir()
{
    static const std::string dir = make_temp_dir();
    return dir;
}

int decode_status(int st)
{
    if (WIFEXITED(st))
        return WEXITSTATUS(st);
    if (WIFSIGNALED(st))
        return 128 + WTERMSIG(st);
    return -1;
}

// In the child: environment, working directory, then exec. Never returns.
// runtime is runtime_dir() and config config_dir(), made by the parent
// before it forked.
[[noreturn]] void exec_child(const std::vector<std::string> &argv, const RunOptions &opt,
                             const std::string &runtime, const std::string &config)
{
    std::string path = bin_dir();
    if (const char *p = getenv("PATH"))
        path += std::string(":") + p;
    setenv("PATH", path.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (const std::string &e : opt.env) {
        size_t eq = e.find('=');
        if (eq == std::string::npos)
            unsetenv(e.c_str());
        else
            setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
    if (!opt.cwd.empty() && chdir(opt.cwd.c_str()) != 0)
        _exit(126);
    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    signal(SIGPIPE, SIG_DFL);
    execvp(args[0], args.data());
    fprintf(stderr, "exec %s: %s\n", args[0], strerror(errno));
    _exit(127);
}

}  // namespace

RunResult run_program(const std::vector<std::string> &argv, const RunOptions &opt)
{
    const std::string &runtime = runtime_dir();
    const std::string &config = config_dir();
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
        throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        exec_child(argv, opt, runtime, config);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    if (!opt.input.empty()) {
        ssize_t n = write(in[1], opt.input.data(), opt.input.size());
        (void)n;
    }
    close(in[1]);

    RunResult r;
    double deadline = monotonic_s() + opt.timeout_s;
    bool out_open = true, err_open = true;
    char buf[4096];
    while (out_open || err_open) {
        struct pollfd fds[2] = {{out_open ? out[0] : -1, POLLIN, 0}, {err_open ? err[0] : -1, POLLIN, 0}};
        int left_ms = static_cast<int>((deadline - monotonic_s()) * 1000);
        if (left_ms <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, left_ms) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                (i == 0 ? out_open : err_open) = false;
                continue;
            }
            (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
        }
    }
    close(out[0]);
    close(err[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = decode_status(st);
    return r;
}

void tpsim(const std::vector<std::string> &args)
{
    std::vector<std::string> argv{bin_path("tpsim")};
    argv.insert(argv.end(), args.begin(), args.end());
    RunResult r = run_program(argv);
    ASSERT_EQ(r.status, 0) << "tpsim failed: " << r.err;
}

Background::Background(const std::vector<std::string> &argv, const RunOptions &opt)
{
    const std::string &runtime = runtime_dir();
    const std::string &config = config_dir();
    const std::string dir = make_temp_dir();
    out_path_ = dir + "/out";
    err_path_ = dir + "/err";
    pid_ = fork();
    if (pid_ == 0) {
        int o = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int n = open("/dev/null", O_RDONLY);
        dup2(n, 0);
        dup2(o, 1);
        dup2(e, 2);
        exec_child(argv, opt, runtime, config);
    }
}

Background::~Background()
{
    if (pid_ > 0 && status_ < 0)
        stop(SIGKILL, 5.0);
}

bool Background::running()
{
    if (status_ >= 0)
        return false;
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = decode_status(st);
        return false;
    }
    return true;
}

int Background::wait(double timeout_s)
{
    double deadline = monotonic_s() + timeout_s;
    while (running() && monotonic_s() < deadline)
        sleep_ms(5);
    return status_;
}

int Background::stop(int sig, double timeout_s)
{
    if (running())
        kill(pid_, sig);
    if (wait(timeout_s) < 0) {
        kill(pid_, SIGKILL);
        wait(5.0);
    }
    return status_;
}

std::string Background::out() const { return read_file(out_path_); }
std::string Background::err() const { return read_file(err_path_); }

bool Background::wait_for_output(const std::string &text, double timeout_s)
{
    double deadline = monotonic_s() + timeout_s;
    while (monotonic_s() < deadline) {
        if (out().find(text) != std::string::npos)
            return true;
        sleep_ms(5);
    }
    return out().find(text) != std::string::npos;
}

Xvfb::Xvfb(const std::vector<std::string> &extra_args)
{
    display_ = launch_xvfb(&pid_, extra_args);
    if (display_.empty())
        throw std::runtime_error("Xvfb did not start");
}

Xvfb::~Xvfb()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

int count_of(const std::string &text, const std::string &part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string make_temp_dir()
{
    char tmpl[] = "/tmp/vorell-test-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("mkdtemp");
    temp_dirs().add(tmpl);
    return tmpl;
}

double monotonic_s()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool wait_until(const std::function<bool()> &cond, double timeout_s)
{
    double deadline = monotonic_s() + timeout_s;
    while (monotonic_s() < deadline) {
        if (cond())
            return true;
        sleep_ms(5);
    }
    return cond();
}

bool holds_for(const std::function<bool()> &cond, double duration_s)
{
    double end = monotonic_s() + duration_s;
    while (monotonic_s() < end) {
        if (!cond())
            return false;
        sleep_ms(5);
    }
    return cond();
}

bool process_gone(const std::string &pid)
{
    std::ifstream in("/proc/" + pid + "/stat");
    std::string skip, name, state;
    if (!(in >> skip >> name >> state))
        return true;
    return state == "Z" || state == "X";
}
