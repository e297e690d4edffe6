// vorellpad: publishes a real touchpad's fingers into the touchpad block.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "block_publisher.h"
#include "live_device.h"
#include "options.h"
#include "recording.h"
#include "replay.h"
#include "report_signal.h"

namespace {

std::atomic<bool> g_stop{false};
BlockOwner g_owner;
// The block claimed, whose reports are signalled.
TouchpadSharedBlock *g_signalled = nullptr;

void on_signal(int) { g_stop.store(true); }

void catch_signals()
{
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_signal;  // no SA_RESTART: poll and sleeps return at once
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

bool resolve_owner(const std::string &user, BlockOwner *owner)
{
    if (user.empty())
        return true;
    struct passwd *pw = getpwnam(user.c_str());
    if (!pw) {
        fprintf(stderr, "vorellpad: no user named '%s'\n", user.c_str());
        return false;
    }
    owner->set = true;
    owner->uid = pw->pw_uid;
    owner->gid = pw->pw_gid;
    return true;
}

TouchpadSharedBlock *claim(int *status)
{
    std::string message;
    TouchpadSharedBlock *block = nullptr;
    BlockClaim c = claim_block(g_owner, &block, &message);
    fputs(message.c_str(), stderr);
    if (c == BlockClaim::kCreated && geteuid() == 0 && !g_owner.set)
        fputs(
            "vorellpad: the block belongs to root (no --user): a desktop user's programs "
            "cannot attach it\n",
            stderr);
    if (c == BlockClaim::kCreated || c == BlockClaim::kTakenOver) {
        // Every report is signalled: the engine may sleep while the pad rests.
        report_signal_start(block);
        g_signalled = block;
        return block;
    }
    *status = kExitBlock;
    return nullptr;
}

}  // namespace

int main(int argc, char **argv)
{
    PadOptions o;
    std::string error;
    if (!parse_options(argc, argv, &o, &error)) {
        fputs(error.c_str(), stderr);
        fputs(kPadUsage, stderr);
        return kExitUsage;
    }
    if (o.help) {
        fputs(kPadUsage, stdout);
        return kExitOk;
    }
    if (o.version) {
        printf("vorellpad %s\n", VORELL_VERSION);
        return kExitOk;
    }
    if (!resolve_owner(o.user, &g_owner))
        return kExitUsage;

    catch_signals();

    if (!o.record.empty())
        return run_record(o, g_stop);

    if (!o.replay.empty()) {
        // The whole recording is checked before anything is written.
        Recording rec;
        if (!read_recording(o.replay, &rec, &error)) {
            fprintf(stderr, "vorellpad: %s\n", error.c_str());
            return kExitRecording;
        }
        int status = kExitOk;
        TouchpadSharedBlock *block = claim(&status);
        if (!block)
            return status;
        replay_recording(rec, block, real_replay_platform(), &g_stop);
        report_signal_stop(block);
        return kExitOk;
    }
    // The block is claimed only once a touchpad is open.
    const int status = run_live(o, claim, g_stop);
    if (g_signalled)
        report_signal_stop(g_signalled);
    return status;
}
