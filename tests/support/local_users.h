// Real local users for the tests of what another user can and cannot do to
// the desktop user's suite, and a private /tmp for them to meet in.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A user made for one test (useradd) and removed again (userdel) when the
// object goes, also when the test fails. The name holds the test's pid and
// a role, so that parallel tests never share one.
class LocalUser {
public:
    explicit LocalUser(const std::string &role);
    ~LocalUser();
    LocalUser(const LocalUser &) = delete;
    LocalUser &operator=(const LocalUser &) = delete;

    const std::string &name() const { return name_; }
    uid_t uid() const { return uid_; }
    gid_t gid() const { return gid_; }
    // argv run as this user (setpriv, no supplementary groups).
    std::vector<std::string> as(const std::vector<std::string> &argv) const;
    // A folder of this user's own under /tmp (mode 0700): a home, say.
    std::string make_folder(const std::string &name) const;

private:
    std::string name_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};
