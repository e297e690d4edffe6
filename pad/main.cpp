// vorellpad: publishes a real touchpad's fingers into the touchpad block.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "live_device.h"
#include "long_options.h"
#include "options.h"
#include "recording.h"
#include "replay.h"
#include "report_signal.h"
#include "version.h"

namespace {

std::atomic<bool> g_stop{false};
PublishedBlock g_block;

void on_signal(int) { g_stop.store(true); }

void print_usage() { fputs(kPadUsage, stdout); }

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

PublishedBlock *claim(int *status)
{
    std::string message;
    BlockClaim c = claim_published_block(&g_block, &message);
    fputs(message.c_str(), stderr);
    if (c == BlockClaim::kCreated && geteuid() == 0 && !g_block.owner.set)
        fputs(
            "vorellpad: the block belongs to root (no --user): a desktop user's programs "
            "cannot attach it\n",
            stderr);
    if (c == BlockClaim::kCreated || c == BlockClaim::kTakenOver)
        return &g_block;
    *status = kExitBlock;
    return nullptr;
}

}  // namespace

int main(int argc, char **argv)
{
    static const std::string version = std::string("vorellpad ") + kProjectVersion;
    if (answer_help_or_version(argc, argv, "", print_usage, version.c_str()))
        return kExitOk;
    PadOptions o;
    std::string error;
    if (!parse_options(argc, argv, &o, &error)) {
        fputs(error.c_str(), stderr);
        fputs(kPadUsage, stderr);
        return kExitUsage;
    }
    if (!resolve_owner(o.user, &g_block.owner))
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
        PublishedBlock *block = claim(&status);
        if (!block)
            return status;
        replay_recording(rec, published_replay_platform(block), &g_stop);
        report_signal_stop(block->block);
        return kExitOk;
    }
    // The block is claimed only once a touchpad is open.
    const int status = run_live(o, claim, g_stop);
    if (g_block.block)
        report_signal_stop(g_block.block);
    return status;
}
