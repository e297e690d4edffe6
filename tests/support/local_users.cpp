#include "local_users.h"

#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "support.h"

namespace {

// useradd and userdel lock the user database; a parallel test may hold it
// for a moment.
bool run_with_retries(const std::vector<std::string> &argv)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (run_program(argv).status == 0)
            return true;
        sleep_ms(100);
    }
    return false;
}

}  // namespace

LocalUser::LocalUser(const std::string &role) : name_("vt" + std::to_string(getpid()) + role)
{
    if (!run_with_retries({"useradd", "--no-create-home", "--user-group", "--shell", "/bin/sh", name_}))
        throw std::runtime_error("useradd " + name_ + " failed");
    struct passwd *pw = getpwnam(name_.c_str());
    if (!pw)
        throw std::runtime_error("no passwd entry for " + name_);
    uid_ = pw->pw_uid;
    gid_ = pw->pw_gid;
}

// Forced: a program the test started as this user (a daemon the session
// put in a session of its own, say) may still be on its way out.
LocalUser::~LocalUser() { run_with_retries({"userdel", "--force", name_}); }

std::vector<std::string> LocalUser::as(const std::vector<std::string> &argv) const
{
    std::vector<std::string> out{"setpriv", "--reuid=" + std::to_string(uid_),
                                 "--regid=" + std::to_string(gid_), "--clear-groups", "--"};
    out.insert(out.end(), argv.begin(), argv.end());
    return out;
}

std::string LocalUser::make_folder(const std::string &name) const
{
    std::string path = "/tmp/" + name_ + "-" + name;
    if (mkdir(path.c_str(), 0700) != 0 || chown(path.c_str(), uid_, gid_) != 0)
        throw std::runtime_error("cannot make " + path + ": " + strerror(errno));
    return path;
}
