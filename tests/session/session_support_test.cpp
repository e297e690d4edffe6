// The session pieces on their own: picking --help/--version out of a command
// line as getopt reads it, the lock's folder, name and exclusion, and
// following a re-created block.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "block_watch.h"
#include "instance_lock.h"
#include "kbd_helpers.h"
#include "local_users.h"
#include "long_options.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

struct Argv {
    explicit Argv(std::vector<std::string> words) : words_(std::move(words))
    {
        for (std::string &w : words_)
            ptrs_.push_back(&w[0]);
        ptrs_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(ptrs_.size()) - 1; }
    char **argv() { return ptrs_.data(); }
    std::vector<std::string> rest(int argc) const
    {
        std::vector<std::string> out;
        out.reserve(argc);
        for (int i = 0; i < argc; ++i)
            out.push_back(ptrs_[i]);
        return out;
    }

private:
    std::vector<std::string> words_;
    std::vector<char *> ptrs_;
};

// Restores an environment variable at the end of a test.
struct EnvGuard {
    explicit EnvGuard(const char *name) : name_(name)
    {
        if (const char *v = getenv(name))
            old_ = v, had_ = true;
    }
    ~EnvGuard() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }
    const char *name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST(LongOptions, HelpAndVersionWhereGetoptWouldSeeAnOption)
{
    struct Case {
        std::vector<std::string> args;
        EarlyOption expected;
    };
    const Case cases[] = {
        {{"--help"}, EarlyOption::kHelp},
        {{"--version"}, EarlyOption::kVersion},
        {{"-l", "--version", "--help"}, EarlyOption::kVersion},  // the first one wins
        {{"Foo=1", "--help"}, EarlyOption::kHelp},               // operands may come first
        {{"-m", "--help"}, EarlyOption::kRun},                   // the interval of -m
        {{"-m10", "--help"}, EarlyOption::kHelp},
        {{"-lm", "--help"}, EarlyOption::kRun},  // -m last in a cluster
        {{"--", "--help"}, EarlyOption::kRun},   // an operand after "--"
        {{"--helpx", "-help", "help"}, EarlyOption::kRun},
        {{}, EarlyOption::kRun},
    };
    for (const Case &c : cases) {
        std::vector<std::string> words{"prog"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        Argv a(words);
        EXPECT_EQ(find_help_or_version(a.argc(), a.argv(), "m:hlV"), c.expected)
            << testing::PrintToString(c.args);
    }
}

TEST(LongOptions, TakenFlagsLeaveTheRestForGetopt)
{
    struct Case {
        std::vector<std::string> args, left;
        int removed;
    };
    const Case cases[] = {
        {{"--debug", "-v"}, {"-v"}, 1},
        {{"-q", "--debug", "x", "--debug"}, {"-q", "x"}, 2},
        {{"--", "--debug"}, {"--", "--debug"}, 0},
        {{"--debugging"}, {"--debugging"}, 0},
    };
    for (const Case &c : cases) {
        std::vector<std::string> words{"gestured"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        Argv a(words);
        int argc = a.argc();
        EXPECT_EQ(take_long_flag(&argc, a.argv(), "vd", "debug"), c.removed);
        std::vector<std::string> left{"gestured"};
        left.insert(left.end(), c.left.begin(), c.left.end());
        EXPECT_EQ(a.rest(argc), left);
        EXPECT_EQ(a.argv()[argc], nullptr);
    }
}

TEST(InstanceLock, DisplayKeys)
{
    const std::pair<const char *, const char *> cases[] = {
        {":0", ":0"},
        {":0.0", ":0"},
        {"unix:3.1", ":3"},
        {":03", ":3"},
        {"unix:007.2", ":7"},
        {":00", ":0"},
        {":10", ":10"},
        {"host:10.0", "host:10"},
        {"/tmp/launch/x:0", "_tmp_launch_x:0"},
        {"fe80::1:2.0", "fe80::1:2"},
        {"", ""},
    };
    for (const auto &c : cases) {
        char key[64];
        instance_display_key(c.first, key, sizeof key);
        EXPECT_STREQ(key, c.second) << c.first;
    }
}

TEST(InstanceLock, SecondTakerSeesTheHolderAndTheLockGoesWithTheDescriptor)
{
    enter_private_tmp();
    const std::string dir = "/tmp/vorell-" + std::to_string(geteuid());

    InstanceLock first, second;
    ASSERT_EQ(instance_lock_take(&first, "gestured", ":5.0"), LockResult::kTaken);
    EXPECT_EQ(std::string(first.path), dir + "/vorell-gestured-:5.lock");
    EXPECT_EQ(read_file(first.path), std::to_string(getpid()) + "\n");

    // flock is per open file: a second open in this process is a rival.
    EXPECT_EQ(instance_lock_take(&second, "gestured", ":05"), LockResult::kHeldElsewhere);
    EXPECT_EQ(second.holder, getpid());
    // Other programs and other displays have locks of their own.
    InstanceLock other_program, other_display;
    EXPECT_EQ(instance_lock_take(&other_program, "vorellidle", ":5"), LockResult::kTaken);
    EXPECT_EQ(instance_lock_take(&other_display, "gestured", ":6"), LockResult::kTaken);

    close(first.fd);
    EXPECT_EQ(instance_lock_take(&second, "gestured", "unix:5"), LockResult::kTaken);
    close(second.fd);
    close(other_program.fd);
    close(other_display.fd);
}

// The folder depends on the uid and on what stands in /run/user and /tmp,
// never on $XDG_RUNTIME_DIR; a folder that is not ours, private and no link
// is passed over, and the next name is made ours.
TEST(InstanceLock, TheFolderComesFromTheUidAndIsAlwaysPrivate)
{
    enter_private_tmp();
    EnvGuard guard("XDG_RUNTIME_DIR");
    LocalUser other("o");
    const std::string uid = std::to_string(geteuid());
    const std::string run_user = "/run/user/" + uid, tmp = "/tmp/vorell-" + uid;
    struct Case {
        const char *what;
        std::function<void()> plant;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing yet", [] {}, tmp},
        {"a private /run/user folder", [&] { mkdir(run_user.c_str(), 0700); }, run_user},
        {"a /run/user folder open to others", [&] { mkdir(run_user.c_str(), 0755); }, tmp},
        {"another user's folder",
         [&] {
             mkdir(tmp.c_str(), 0777);
             ASSERT_EQ(chown(tmp.c_str(), other.uid(), other.gid()), 0);
         },
         tmp + ".1"},
        {"a link to a folder of ours", [&] { ASSERT_EQ(symlink(make_temp_dir().c_str(), tmp.c_str()), 0); },
         tmp + ".1"},
        {"our folder open to others",
         [&] {
             mkdir(tmp.c_str(), 0700);
             chmod(tmp.c_str(), 0777);
         },
         tmp + ".1"},
        {"a file",
         [&] {
             close(open(tmp.c_str(), O_CREAT | O_WRONLY, 0600));
             mkdir((tmp + ".1").c_str(), 0777);
         },
         tmp + ".2"},
    };
    const char *const runtimes[] = {nullptr, "/tmp", "relative"};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(run_program({"rm", "-rf", run_user, tmp, tmp + ".1", tmp + ".2"}).status, 0);
        c.plant();
        for (const char *runtime : runtimes) {
            runtime ? setenv("XDG_RUNTIME_DIR", runtime, 1) : unsetenv("XDG_RUNTIME_DIR");
            char dir[kLockPathMax];
            testing::internal::CaptureStderr();
            ASSERT_TRUE(instance_lock_dir(dir, sizeof dir, "test"));
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_EQ(std::string(dir), c.expected);
            EXPECT_EQ(said.find("passing over") != std::string::npos,
                      c.expected != tmp && c.expected != run_user)
                << said;
            struct stat st;
            ASSERT_EQ(lstat(dir, &st), 0);
            EXPECT_TRUE(S_ISDIR(st.st_mode));
            EXPECT_EQ(st.st_mode & 07777, 0700u);
            EXPECT_EQ(st.st_uid, geteuid());
        }
    }
}

TEST(InstanceLock, NoFolderLeftMeansNoLockRatherThanNone)
{
    enter_private_tmp();
    LocalUser other("o");
    for (int i = 0; i < kTmpFolderTries; ++i) {
        std::string path = "/tmp/vorell-" + std::to_string(geteuid()) + (i ? "." + std::to_string(i) : "");
        ASSERT_EQ(mkdir(path.c_str(), 0777), 0);
        ASSERT_EQ(chown(path.c_str(), other.uid(), other.gid()), 0);
    }
    InstanceLock lock;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(instance_lock_or_exit(&lock, "gestured", ":5", -1));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("gestured: no private folder or lock file for display :5"), std::string::npos)
        << said;
    EXPECT_EQ(lock.fd, -1);
}

TEST(BlockWatch, NewBlockIsMappedWhereTheOldOneWas)
{
    enter_private_ipc();
    TouchpadSharedBlock *block = create_test_block();
    BlockWatch watch;
    block_watch_init(&watch);
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kUnchanged);

    tpsim({"remove"});
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kGone) << "no block yet";

    // Another size is refused, and only once.
    tpsim({"create", "--size", "600"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kUnchanged);
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kUnchanged);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Incorrect size of shared memory area. Incompatible driver version?\n");
    tpsim({"remove"});

    tpsim({"create"});
    tpsim({"set", "MaxTapTime=777"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kReplaced);
    EXPECT_EQ(block_watch_check(&watch, block, "test"), BlockCheck::kUnchanged);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "test: touchpad block re-created, attached again\n");
    EXPECT_EQ(block->MaxTapTime, 777) << "the old address shows the new block";
    block->MaxTapMove = 55;
    tpsim({"get", "MaxTapMove"});
    EXPECT_EQ(run_program({"tpsim", "get", "MaxTapMove"}).out, "55\n");
}
