#include "block_trust.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>

namespace {

bool trusted_user(uid_t uid, uid_t served) { return uid == geteuid() || uid == 0 || uid == served; }

}  // namespace

bool block_trusted(const struct ipc_perm &perm, uid_t served)
{
    return trusted_user(perm.cuid, served) && trusted_user(perm.uid, served);
}

bool block_closed_to_others(const struct ipc_perm &perm) { return (perm.mode & 022) == 0; }

uid_t block_stranger(const struct ipc_perm &perm, uid_t served)
{
    return trusted_user(perm.cuid, served) ? perm.uid : perm.cuid;
}

void describe_user(uid_t uid, char *out, size_t cap)
{
    struct passwd entry;
    struct passwd *found = nullptr;
    char buf[1024];
    if (getpwuid_r(uid, &entry, buf, sizeof buf, &found) == 0 && found)
        snprintf(out, cap, "%s (uid %u)", found->pw_name, static_cast<unsigned>(uid));
    else
        snprintf(out, cap, "uid %u", static_cast<unsigned>(uid));
}

void say_block_untrusted(const struct ipc_perm &perm)
{
    char who[300];
    describe_user(block_stranger(perm), who, sizeof who);
    const bool made_by_stranger = !trusted_user(perm.cuid, kNoServedUser);
    fprintf(stderr,
            "The touchpad block %s user %s, not %s you or root: not using it. That user must end the "
            "program that made it, or root must remove it with 'ipcrm -M 29947'; vorellpad then makes a "
            "proper one.\n",
            made_by_stranger ? "was made by" : "belongs to", who, made_by_stranger ? "by" : "to");
}
