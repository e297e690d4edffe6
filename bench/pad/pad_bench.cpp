// vorellpad's costs: CPU while idle for 30 s, CPU while replaying a 125 Hz
// two-finger movement, and the latency from a report's arrival to its finger
// count stored in the block (p50, p99). Runs in a private IPC namespace
// (needs root); prints the figures.
#include <fcntl.h>
#include <sched.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "pad_translator.h"
#include "published_block.h"
#include "recording.h"
#include "replay.h"

namespace {

const char kHeader[] =
    "N: Bench pad\nI: 0011 0002 0000 0000\nP: 05 00 00 00 00 00 00 00\n"
    "A: 2f 0 1 0 0\nA: 35 0 4000 0 0 40\nA: 36 0 3000 0 0 40\nA: 39 0 65535 0 0\n";

std::string ev(int64_t us, int type, int code, int value)
{
    PadEvent e;
    e.time_us = us;
    e.type = static_cast<uint16_t>(type);
    e.code = static_cast<uint16_t>(code);
    e.value = value;
    return format_event(e);
}

// Two fingers moving up and down the pad at 125 Hz for the given seconds.
std::string two_finger_movement(double seconds)
{
    std::string s = kHeader;
    const int reports = static_cast<int>(seconds * 125);
    for (int i = 0; i < reports; ++i) {
        const int64_t t = 1000000 + static_cast<int64_t>(i) * 8000;
        const int y = 1000 + (i % 250 < 125 ? i % 125 : 125 - i % 125) * 8;
        if (i == 0) {
            s += ev(t, 3, 0x2f, 0) + ev(t, 3, 0x39, 1);
            s += ev(t, 3, 0x2f, 1) + ev(t, 3, 0x39, 2);
            s += ev(t, 1, 0x14a, 1) + ev(t, 1, 0x14d, 1);
        }
        s += ev(t, 3, 0x2f, 0) + ev(t, 3, 0x35, 1500) + ev(t, 3, 0x36, y);
        s += ev(t, 3, 0x2f, 1) + ev(t, 3, 0x35, 2500) + ev(t, 3, 0x36, y + (i % 3));
        s += ev(t, 0, 0, 0);
    }
    return s;
}

// One touch, then nothing for the given seconds, then the lift.
std::string idle_recording(double seconds)
{
    std::string s = kHeader;
    s += ev(0, 3, 0x39, 1) + ev(0, 3, 0x35, 2000) + ev(0, 3, 0x36, 1500) + ev(0, 0, 0, 0);
    s += ev(static_cast<int64_t>(seconds * 1e6), 3, 0x39, -1) +
         ev(static_cast<int64_t>(seconds * 1e6), 0, 0, 0);
    return s;
}

// Runs vorellpad --replay on text; CPU seconds (user + system) and wall time.
bool run_replay(const std::string &text, double *cpu, double *wall)
{
    const std::string path = "/tmp/vorellpad_bench.evemu";
    std::ofstream(path) << text;
    struct timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execl(VORELL_BIN_DIR "/vorellpad", "vorellpad", "--replay", path.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    struct rusage ru;
    wait4(pid, &status, 0, &ru);
    clock_gettime(CLOCK_MONOTONIC, &b);
    unlink(path.c_str());
    *cpu = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
    *wall = (b.tv_sec - a.tv_sec) + (b.tv_nsec - a.tv_nsec) / 1e9;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void collect(int64_t due, int64_t stored, void *data)
{
    static_cast<std::vector<int64_t> *>(data)->push_back(stored - due);
}

}  // namespace

int main(int argc, char **argv)
{
    const double idle_s = argc > 1 ? atof(argv[1]) : 30.0;
    if (unshare(CLONE_NEWIPC) != 0) {
        perror("unshare(CLONE_NEWIPC) (the bench needs root)");
        return 1;
    }
    double cpu, wall;
    if (!run_replay(idle_recording(idle_s), &cpu, &wall)) {
        fputs("vorellpad --replay failed\n", stderr);
        return 1;
    }
    printf("idle, one finger resting for %.0f s:      CPU %.4f s (%.3f%% of one core)\n", wall, cpu,
           100 * cpu / wall);
    if (!run_replay(two_finger_movement(10), &cpu, &wall))
        return 1;
    printf("125 Hz two-finger movement for %.1f s:    CPU %.4f s (%.3f%% of one core)\n", wall, cpu,
           100 * cpu / wall);

    // In process: report due (its events handed over) -> f stored.
    Recording rec;
    std::string error;
    const std::string text = two_finger_movement(10);
    if (!parse_recording(text.data(), text.size(), "bench", &rec, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    PublishedBlock published;
    std::string message;
    if (claim_published_block(&published, &message) != BlockClaim::kTakenOver && published.block == nullptr) {
        fputs(message.c_str(), stderr);
        return 1;
    }
    TouchpadSharedBlock *block = published.block;
    std::vector<int64_t> lat;
    replay_recording(rec, published_replay_platform(&published), nullptr, collect, &lat);
    std::sort(lat.begin(), lat.end());
    printf("report due -> f stored, with the wake-up (%zu reports): p50 %lld us, p99 %lld us\n", lat.size(),
           static_cast<long long>(lat[lat.size() / 2]), static_cast<long long>(lat[lat.size() * 99 / 100]));

    // The work alone: from a report's first event handed to the core to its
    // finger count stored, without any sleep in between.
    std::vector<double> work;
    PadTranslator pad(rec.description);
    struct timespec a, b;
    bool in_report = false;
    for (int round = 0; round < 20; ++round) {
        for (const PadEvent &e : rec.events) {
            if (!in_report) {
                clock_gettime(CLOCK_MONOTONIC, &a);
                in_report = true;
            }
            if (pad.feed(e)) {
                publish_state(block, pad.state());
                clock_gettime(CLOCK_MONOTONIC, &b);
                work.push_back((b.tv_sec - a.tv_sec) * 1e6 + (b.tv_nsec - a.tv_nsec) / 1e3);
                in_report = false;
            }
        }
    }
    std::sort(work.begin(), work.end());
    printf("report's events -> f stored, work only (%zu reports): p50 %.2f us, p99 %.2f us\n", work.size(),
           work[work.size() / 2], work[work.size() * 99 / 100]);
    return 0;
}
