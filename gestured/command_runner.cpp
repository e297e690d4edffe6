#include "command_runner.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

extern char **environ;

namespace {

constexpr int kSlots = 16;
constexpr int kKinds = 8;
constexpr int kKindMax = 64;
constexpr int kEndWaitMs = 1000;

// Never destroyed: the in-order command worker is a detached thread that
// may still be finishing a command while the process exits, and must not
// find these torn down under it.
struct RunnerSync {
    std::mutex mutex;
    std::condition_variable slot_freed;
};
RunnerSync &runner_sync = *new RunnerSync;
std::mutex &runner_mutex = runner_sync.mutex;
std::condition_variable &slot_freed = runner_sync.slot_freed;
pid_t in_flight[kSlots];  // 0 = free; each is also its process group's id
bool stopping = false;

struct KillCount {
    char kind[kKindMax];  // the command's first word
    int kills;
};
KillCount kill_counts[kKinds];
int total_kills = 0;

int64_t monotonic_ms()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void first_word(const char *command, char *out)
{
    while (*command == ' ')
        ++command;
    int n = 0;
    while (command[n] && command[n] != ' ' && n < kKindMax - 1) {
        out[n] = command[n];
        ++n;
    }
    out[n] = 0;
}

// Called with runner_mutex held.
void count_kill(const char *command)
{
    ++total_kills;
    char kind[kKindMax];
    first_word(command, kind);
    for (KillCount &k : kill_counts) {
        if (k.kills > 0 && strcmp(k.kind, kind) == 0) {
            ++k.kills;
            return;
        }
    }
    for (KillCount &k : kill_counts) {
        if (k.kills == 0) {
            strcpy(k.kind, kind);
            k.kills = 1;
            break;
        }
    }
    // One line per kind of command; a full table still counts in total_kills.
    fprintf(stderr,
            "gestured: \"%s\" did not finish within %d ms and was killed; "
            "later kills of %s are counted only\n",
            command, kCommandBoundMs, kind);
}

// Waits, without reaping it, until the child has ended or timeout_ms has
// passed. True when it ended.
bool wait_for_end(pid_t pid, int timeout_ms)
{
    const int64_t deadline = monotonic_ms() + timeout_ms;
    int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        for (;;) {
            int left = static_cast<int>(deadline - monotonic_ms());
            if (left < 0)
                left = 0;
            struct pollfd p = {pidfd, POLLIN, 0};
            int rc = poll(&p, 1, left);
            if (rc > 0) {
                close(pidfd);
                return true;
            }
            if (rc == 0 || errno != EINTR)
                break;
        }
        close(pidfd);
        return false;
    }
    // No pid file descriptors: look every millisecond.
    for (;;) {
        siginfo_t info;
        memset(&info, 0, sizeof info);
        int rc = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if (rc == 0 && info.si_pid == pid)
            return true;
        if (rc != 0 && errno != EINTR)
            return true;  // not our child any more
        if (monotonic_ms() >= deadline)
            return false;
        usleep(1000);
    }
}

void run(const char *command, bool final)
{
    if (!command)
        return;

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // /bin/sh -c runs the line with default signal dispositions and an
    // empty signal mask (the engine's threads block the release signals),
    // in a new process group that a kill can reach as a whole.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    char sh[] = "sh", dash_c[] = "-c";
    char *argv[] = {sh, dash_c, const_cast<char *>(command), nullptr};
    pid_t pid = -1;
    int slot = -1;
    {
        // Started under the lock, so that the signal path sees every child
        // that exists.
        std::unique_lock<std::mutex> lock(runner_mutex);
        if (stopping && !final) {
            posix_spawnattr_destroy(&attr);
            return;
        }
        slot_freed.wait(lock, [] {
            for (pid_t p : in_flight)
                if (p == 0)
                    return true;
            return false;
        });
        if (posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ) == 0) {
            for (int i = 0; i < kSlots; ++i) {
                if (in_flight[i] == 0) {
                    in_flight[i] = pid;
                    slot = i;
                    break;
                }
            }
        }
    }
    posix_spawnattr_destroy(&attr);
    if (slot < 0)
        return;

    bool ended = wait_for_end(pid, kCommandBoundMs);
    {
        std::lock_guard<std::mutex> lock(runner_mutex);
        if (!ended) {
            kill(-pid, SIGKILL);
            count_kill(command);
        }
        in_flight[slot] = 0;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    slot_freed.notify_all();
}

}  // namespace

void run_command_bounded(const char *command) { run(command, false); }

void run_command_final(const char *command) { run(command, true); }

void run_commands_end_in_flight()
{
    std::unique_lock<std::mutex> lock(runner_mutex);
    stopping = true;
    for (pid_t p : in_flight)
        if (p != 0)
            kill(-p, SIGKILL);
    slot_freed.wait_for(lock, std::chrono::milliseconds(kEndWaitMs), [] {
        for (pid_t p : in_flight)
            if (p != 0)
                return false;
        return true;
    });
}

int run_command_kills()
{
    std::lock_guard<std::mutex> lock(runner_mutex);
    return total_kills;
}

void run_commands_reset()
{
    std::lock_guard<std::mutex> lock(runner_mutex);
    stopping = false;
    total_kills = 0;
    memset(kill_counts, 0, sizeof kill_counts);
}
