#include "desk.h"

#include <cstdio>

#include <dirent.h>
#include <sys/shm.h>
#include <time.h>

#include <gtest/gtest.h>

#include "finger_trace.h"
#include "report_signal.h"
#include "touchpad_block.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

double now_s()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int thread_count(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (in >> key) {
        if (key == "Threads:") {
            int n = 0;
            in >> n;
            return n;
        }
    }
    return 0;
}

// The status file of the engine's thread of that name, "" when none.
std::string thread_status_path(pid_t pid, const std::string &name)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
    DIR *dir = opendir(tasks.c_str());
    if (!dir)
        return "";
    std::string found;
    while (struct dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream comm(tasks + e->d_name + "/comm");
        std::string line;
        if (std::getline(comm, line) && line == name) {
            found = tasks + e->d_name + "/status";
            break;
        }
    }
    closedir(dir);
    return found;
}

long voluntary_switches(const std::string &status_path)
{
    std::ifstream in(status_path);
    std::string key;
    while (in >> key) {
        if (key == "voluntary_ctxt_switches:") {
            long n = -1;
            in >> n;
            return n;
        }
    }
    return -1;
}

std::string tpsim_out(const std::vector<std::string> &args)
{
    std::vector<std::string> argv{bin_path("tpsim")};
    argv.insert(argv.end(), args.begin(), args.end());
    RunResult r = run_program(argv);
    if (r.status != 0)
        throw std::runtime_error("tpsim failed: " + r.err);
    return r.out;
}

}  // namespace

bool wait_for_engine_threads(pid_t pid, double timeout_s)
{
    const double deadline = now_s() + timeout_s;
    while (thread_count(pid) < 6 && now_s() < deadline)
        sleep_ms(10);
    return thread_count(pid) >= 6;
}

std::string trace_path(const std::string &name)
{
    return source_dir() + "/tests/e2e/traces/" + name + ".trace";
}

Desk::Desk(const std::vector<std::string> &settings, const std::string &title,
           const std::vector<std::string> &engine_options, const DeskExtras &extras)
{
    enter_private_ipc();
    // Closed to other users, as vorellpad makes it: vorellpad's replays take
    // it over with the test's settings instead of making a new one.
    tpsim_out({"create", "--mode", "600"});
    // TapButton3 goes back to 0 when gestured has run its start-up commands.
    tpsim_out({"set", "TapButton3=1"});

    RunOptions opt;
    opt.env.push_back(x_.env());
    std::vector<std::string> rec{bin_path("xrecord")};
    if (!title.empty()) {
        rec.push_back("--title");
        rec.push_back(title);
    }
    if (!extras.window_class.empty()) {
        rec.push_back("--class");
        rec.push_back(extras.window_class);
    }
    recorder_ = std::make_unique<Background>(rec, opt);
    if (!recorder_->wait_for_output("ready\n", 20))
        throw std::runtime_error("xrecord did not start: " + recorder_->err());

    std::vector<std::string> engine{bin_path("gestured")};
    engine.insert(engine.end(), engine_options.begin(), engine_options.end());
    RunOptions engine_opt = opt;
    engine_opt.env.insert(engine_opt.env.end(), extras.engine_env.begin(), extras.engine_env.end());
    engine_ = std::make_unique<Background>(engine, engine_opt);
    if (!wait_for_engine_threads(engine_->pid()) || !wait_for_field("TapButton3", "0", 20))
        throw std::runtime_error("gestured did not start: " + engine_->err());

    // The threads exist, but the sampler may not poll yet. A two-finger tap
    // with the default action (a right click) shows the whole engine at work;
    // what it sent is not part of the test.
    replay("tap_two");
    if (!wait_for("ButtonRelease 3", 1, 20))
        throw std::runtime_error("gestured does not answer a two-finger tap: " + engine_->err());
    skip_ = events().size();

    if (!settings.empty()) {
        set(settings);
        // The engine copies the settings at every poll (5 ms when idle).
        sleep_ms(50);
    }
}

Desk::~Desk()
{
    if (signalling_ && block_)
        report_signal_stop(block_);
    engine_->stop(15);
    recorder_->stop(15);
}

// Replays in this process rather than through tpsim: each state is written a
// trace interval after the one before, so a busy machine can only stretch
// the gaps, never write two states back to back where the engine would see
// only the second.
void Desk::replay(const std::string &name)
{
    if (!block_)
        block_ = attach_shared_block();
    if (!block_)
        throw std::runtime_error("cannot attach the touchpad block");
    TraceReading trace;
    if (!read_trace_file(trace_path(name), &trace))
        throw std::runtime_error("no trace " + name);
    if (trace.bad_line)
        throw std::runtime_error("bad trace line in " + name + ":" + std::to_string(trace.bad_line) + ": " +
                                 trace.why);
    const std::vector<TraceStep> &steps = trace.steps;
    struct timespec last_write {};
    for (size_t i = 0; i < steps.size(); ++i) {
        // Each gap counts from the write before, the wait for the sampler
        // included.
        const double gap = i ? steps[i].time - steps[i - 1].time : 0;
        if (gap > 0)
            sleep_until_after(last_write, gap);
        write_finger_state(block_, &TouchpadSharedBlock::NewStructFingers, steps[i].state);
        if (signalling_)
            report_signal_post(block_);
        clock_gettime(CLOCK_MONOTONIC, &last_write);
        // The trace's gaps are the least time between states; a busy machine
        // may stretch them, but never let the engine miss a state.
        wait_for_sampler();
    }
    // The last state (normally no finger) stays a while, so that a replay
    // that follows at once is a new touch and not the same one going on.
    sleep_ms(30);
}

void Desk::forget_block()
{
    if (block_)
        shmdt(block_);
    block_ = nullptr;
}

void Desk::signal_reports()
{
    if (!block_)
        block_ = attach_shared_block();
    if (!block_)
        throw std::runtime_error("cannot attach the touchpad block");
    report_signal_start(block_);
    signalling_ = true;
}

void Desk::fingers(const std::vector<std::string> &columns)
{
    std::vector<std::string> args{"fingers", "--new"};
    args.insert(args.end(), columns.begin(), columns.end());
    tpsim_out(args);
    // A pad reports at most about every 12 ms; a faster succession could fall
    // between two polls of the engine and never be seen.
    sleep_ms(20);
    wait_for_sampler();
}

bool Desk::start_window_switch()
{
    for (int i = 0; i < 8; ++i)
        fingers({"f=3", "x3_1=500", "y3_1=" + std::to_string(300 + 20 * i), "z=40"});
    return wait_for("KeyRelease Tab");
}

void Desk::wait_for_sampler()
{
    if (sampler_status_.empty())
        sampler_status_ = thread_status_path(engine_->pid(), "gestured-sample");
    const long start = voluntary_switches(sampler_status_);
    if (start < 0)
        return;  // the engine has ended: nothing to wait for
    // The poll under way when the state was written may have copied the
    // block just before; the one after its next sleep cannot have.
    const double deadline = now_s() + 10;
    while (now_s() < deadline) {
        const long n = voluntary_switches(sampler_status_);
        if (n < 0 || n >= start + 2)
            return;
        sleep_ms(1);
    }
}

bool Desk::wait_for_sampler_asleep(int quiet_ms, double timeout_s)
{
    if (sampler_status_.empty())
        sampler_status_ = thread_status_path(engine_->pid(), "gestured-sample");
    const double deadline = now_s() + timeout_s;
    long seen = voluntary_switches(sampler_status_);
    double since = now_s();
    while (now_s() < deadline) {
        sleep_ms(10);
        const long n = voluntary_switches(sampler_status_);
        if (n < 0)
            return false;
        if (n != seen) {
            seen = n;
            since = now_s();
        } else if (now_s() - since >= quiet_ms / 1000.0) {
            return true;
        }
    }
    return false;
}

void Desk::set(const std::vector<std::string> &assignments)
{
    std::vector<std::string> args{"set"};
    args.insert(args.end(), assignments.begin(), assignments.end());
    tpsim_out(args);
}

std::string Desk::get(const std::string &field)
{
    std::string out = tpsim_out({"get", field});
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::vector<XEventSeen> Desk::events()
{
    std::vector<XEventSeen> seen;
    std::istringstream in(recorder_->out());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        XEventSeen e;
        if (words >> e.ms >> e.type >> e.detail)
            seen.push_back(e);
    }
    if (seen.size() < skip_)
        return {};
    return std::vector<XEventSeen>(seen.begin() + static_cast<long>(skip_), seen.end());
}

std::vector<std::string> Desk::lines()
{
    std::vector<std::string> out;
    for (const XEventSeen &e : events())
        out.push_back(e.str());
    return out;
}

int Desk::count(const std::string &line)
{
    int n = 0;
    for (const XEventSeen &e : events())
        n += e.str() == line;
    return n;
}

bool Desk::wait_for(const std::string &line, int n, double timeout_s)
{
    double deadline = now_s() + timeout_s;
    while (now_s() < deadline) {
        if (count(line) >= n)
            return true;
        sleep_ms(10);
    }
    if (count(line) >= n)
        return true;
    // What did arrive, for the failure's report.
    fprintf(stderr, "waited %.1f s for %d x \"%s\"; the server saw:\n", timeout_s, n, line.c_str());
    for (const std::string &seen : lines())
        fprintf(stderr, "  %s\n", seen.c_str());
    return false;
}

bool Desk::wait_for_field(const std::string &field, const std::string &value, double timeout_s)
{
    double deadline = now_s() + timeout_s;
    while (now_s() < deadline) {
        if (get(field) == value)
            return true;
        sleep_ms(10);
    }
    return get(field) == value;
}

void Desk::settle(int quiet_ms)
{
    size_t seen = events().size();
    double quiet_since = now_s();
    double deadline = now_s() + 20;
    while (now_s() < deadline && (now_s() - quiet_since) * 1000 < quiet_ms) {
        sleep_ms(20);
        size_t n = events().size();
        if (n != seen) {
            seen = n;
            quiet_since = now_s();
        }
    }
}
