// vorellidle as a real process against a real X server and a real block.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "kbd_helpers.h"
#include "planted_paths.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

constexpr int kTouchpadOff = offsetof(TouchpadSharedBlock, TouchpadOff);

class IdleX : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        block_ = create_test_block();
        set_block_field(block_, kTouchpadOff, 0);
        x_ = std::make_unique<Xvfb>();
        typist_ = std::make_unique<KeyTypist>(x_->display());
    }
    void TearDown() override { typist_.reset(); }

    std::unique_ptr<Background> start(std::vector<std::string> args)
    {
        args.insert(args.begin(), bin_path("vorellidle"));
        return std::make_unique<Background>(args, RunOptions{"", {x_->env()}, "", 20.0});
    }
    // Types keycode again and again until cond holds: a press that falls
    // before the monitor's first poll primes its key vector and is not
    // counted, so a single press would race the start-up.
    bool type_until(unsigned keycode, const std::function<bool()> &cond, double timeout_s = 10.0)
    {
        double deadline = monotonic_s() + timeout_s;
        while (monotonic_s() < deadline) {
            typist_->tap(keycode);
            if (wait_until(cond, 0.05))
                return true;
        }
        return cond();
    }
    bool type_until_off(int32_t v, unsigned keycode = 38)
    {
        return type_until(keycode, [&] { return touchpad_off() == v; });
    }
    int32_t touchpad_off() const { return block_field(block_, kTouchpadOff); }
    bool off_becomes(int32_t v, double timeout_s = 10.0)
    {
        return wait_until([&] { return touchpad_off() == v; }, timeout_s);
    }

    TouchpadSharedBlock *block_ = nullptr;
    std::unique_ptr<Xvfb> x_;
    std::unique_ptr<KeyTypist> typist_;
};

}  // namespace

TEST(IdleStart, UsageVersionAndStartUpFailures)
{
    enter_private_ipc();
    // The usage text, byte for byte, as vorellidle prints it on standard error.
    const std::string usage = read_file(source_dir() + "/tests/idle/golden/vorellidle-usage.txt");
    ASSERT_FALSE(usage.empty());
    for (const char *arg : {"-?", "-i0", "-i-1", "-iabc"}) {
        RunResult r = run_program({"vorellidle", arg});
        EXPECT_EQ(r.status, 1) << arg;
        EXPECT_EQ(r.err, usage) << arg;
        EXPECT_EQ(r.out, "") << arg;
    }
    RunResult unknown = run_program({"vorellidle", "-z"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, std::string("vorellidle: invalid option -- 'z'\n") + usage);

    RunResult v = run_program({"vorellidle", "-V", "-d"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "QPX7.1.3.10\n");

    RunResult nodisplay = run_program({"vorellidle"}, RunOptions{"", {"DISPLAY=:9999"}, "", 20.0});
    EXPECT_EQ(nodisplay.status, 2);
    EXPECT_EQ(nodisplay.err, "Can't open display.\n");

    Xvfb x;
    RunResult noblock = run_program({"vorellidle"}, RunOptions{"", {x.env()}, "", 20.0});
    EXPECT_EQ(noblock.status, 2);
    EXPECT_EQ(noblock.err, "Can't access shared memory area. SHMConfig disabled?\n");
}

TEST_F(IdleX, KeyPressDisablesAndIdleTimeEnables)
{
    auto idle = start({"-i", "0.3"});
    ASSERT_TRUE(type_until(38, [&] { return idle->out() == "Disable\n"; }));
    EXPECT_EQ(touchpad_off(), 1);
    ASSERT_TRUE(idle->wait_for_output("Enable\n", 10.0));
    EXPECT_EQ(touchpad_off(), 0);
    EXPECT_EQ(idle->out(), "Disable\nEnable\n");
}

TEST_F(IdleX, TappingOnlyWritesTwo)
{
    auto idle = start({"-t", "-i", "0.3"});
    ASSERT_TRUE(type_until_off(2));
    ASSERT_TRUE(off_becomes(0));
}

TEST_F(IdleX, KeyHeldLongerThanTheIdleTimeReenables)
{
    auto idle = start({"-i", "0.3"});
    ASSERT_TRUE(type_until_off(1, 39));  // the monitor is polling
    ASSERT_TRUE(off_becomes(0));
    typist_->press(38);
    ASSERT_TRUE(off_becomes(1));
    EXPECT_TRUE(off_becomes(0));  // with the key still down
    EXPECT_EQ(idle->out(), "Disable\nEnable\nDisable\nEnable\n");
}

TEST_F(IdleX, IgnoredModifiers)
{
    {
        // -k: Shift alone is no typing; a letter is.
        auto idle = start({"-k", "-i", "0.3"});
        EXPECT_FALSE(type_until(
            50, [&] { return touchpad_off() != 0; }, 2.0))
            << "Shift alone";
        EXPECT_TRUE(type_until_off(1, 38));
        EXPECT_TRUE(off_becomes(0));
    }
    {
        // -K: a letter typed while Control is held does not count.
        auto idle = start({"-K", "-i", "0.3"});
        typist_->press(37);
        EXPECT_FALSE(type_until(
            38, [&] { return touchpad_off() != 0; }, 2.0))
            << "Control+letter";
        typist_->release(37);
        EXPECT_TRUE(type_until_off(1, 39));
        EXPECT_TRUE(off_becomes(0));
    }
    {
        // Without -K the same combination counts.
        auto idle = start({"-k", "-i", "0.3"});
        typist_->press(37);
        EXPECT_TRUE(type_until_off(1, 38));
        typist_->release(37);
        EXPECT_TRUE(off_becomes(0));
    }
}

TEST_F(IdleX, KeysSentThroughXtestAreNotTyping)
{
    // The engine's own Alt and Tab, and the keys of xte and xdotool, come
    // through XTEST's keyboard: they never switch the pad off.
    KeyTypist sent(x_->display(), KeySource::kXtest);
    {
        auto idle = start({"-i", "0.3"});
        ASSERT_TRUE(type_until_off(1));  // the monitor is watching
        ASSERT_TRUE(off_becomes(0));
        EXPECT_FALSE(wait_until(
            [&] {
                sent.tap(38);
                return touchpad_off() != 0;
            },
            2.0));
        EXPECT_EQ(idle->out(), "Disable\nEnable\n");
    }
    {
        // -K: a Control held by XTEST is no modifier of the user's (pressed
        // once the monitor runs: at its start it takes the keys already down
        // from the keymap, which does not tell who holds them).
        auto idle = start({"-K", "-i", "0.3"});
        ASSERT_TRUE(type_until_off(1, 39));
        ASSERT_TRUE(off_becomes(0));
        sent.press(37);
        EXPECT_TRUE(type_until_off(1, 38));
        sent.release(37);
        EXPECT_TRUE(off_becomes(0));
    }
}

TEST_F(IdleX, WithoutKeyEventsItPollsAndSaysSoOnce)
{
    // Without the Generic Event extension no XInput 2 event can come.
    typist_.reset();
    x_ = std::make_unique<Xvfb>(std::vector<std::string>{"-extension", "Generic Event Extension"});
    typist_ = std::make_unique<KeyTypist>(x_->display());
    auto idle = start({"-i", "0.3"});
    ASSERT_TRUE(type_until_off(1));
    ASSERT_TRUE(off_becomes(0));
    // A keymap does not say where a key came from: XTEST's keys count here.
    KeyTypist sent(x_->display(), KeySource::kXtest);
    sent.tap(39);
    EXPECT_TRUE(off_becomes(1));
    EXPECT_TRUE(off_becomes(0));
    EXPECT_EQ(idle->err(),
              "vorellidle: no XInput 2 key events from this X server; reading the keyboard every 20 ms (keys "
              "sent through XTEST count as typing).\n");
}

TEST_F(IdleX, TouchpadSwitchedOffByTheUserIsLeftAlone)
{
    set_block_field(block_, kTouchpadOff, 1);
    auto idle = start({"-i", "0.2"});
    EXPECT_FALSE(type_until(
        38, [&] { return touchpad_off() != 1; }, 2.0));
    EXPECT_EQ(idle->out(), "");
    // The monitor was live all along: once the user switches back on, typing counts.
    set_block_field(block_, kTouchpadOff, 0);
    EXPECT_TRUE(type_until_off(1));
}

TEST_F(IdleX, HeldTouchpadButtonKeepsItOn)
{
    tpsim({"set", "NewStruct=1", "OldStructFingers.l=1"});
    auto idle = start({"-i", "0.3"});
    EXPECT_FALSE(type_until(
        38, [&] { return touchpad_off() != 0; }, 2.0));
    EXPECT_EQ(idle->out(), "");
    // Button up: typing counts again.
    tpsim({"set", "OldStructFingers.l=0"});
    EXPECT_TRUE(type_until_off(1));
}

TEST_F(IdleX, DaemonWithPidFileEndsBySigtermWithTheTouchpadOn)
{
    // Adopt the daemon when its parent exits, so its end can be waited for.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    std::string dir = make_temp_dir();
    std::string pid_path = dir + "/vorellidle.pid";
    auto parent = start({"-d", "-p", pid_path, "-i", "30"});
    EXPECT_EQ(parent->wait(10.0), 0);
    ASSERT_TRUE(wait_until([&] { return !read_file(pid_path).empty(); }));
    pid_t daemon = atoi(read_file(pid_path).c_str());
    ASSERT_GT(daemon, 1);
    struct stat st;
    ASSERT_EQ(stat(pid_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "umask 0 must not make the pid file writable to all";

    ASSERT_TRUE(type_until_off(1));
    ASSERT_EQ(kill(daemon, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(daemon, &status, 0), daemon);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(touchpad_off(), 0);
    EXPECT_NE(access(pid_path.c_str(), F_OK), 0) << "pid file left behind";
    EXPECT_EQ(parent->out(), "") << "a daemon prints nothing";
}

TEST_F(IdleX, DaemonRefusesAPlantedPidFileBeforeReportingSuccess)
{
    for (const PlantedPath &kind : planted_paths()) {
        for (bool relative : {false, true}) {
            SCOPED_TRACE(std::string(kind.what) + (relative ? ", relative name" : ""));
            std::string dir = make_temp_dir(), guarded;
            std::string name = plant(kind.what, dir, &guarded);
            bool existed = access(guarded.c_str(), F_OK) == 0;
            std::string before = existed ? read_file(guarded) : "";
            // The daemon works from "/": a relative name is seen from there.
            std::string given = relative ? name.substr(1) : name;
            auto parent = start({"-d", "-p", given, "-i", "30"});
            EXPECT_EQ(parent->wait(20.0), 2);
            EXPECT_EQ(parent->err(),
                      "Can't create pid file: " + given + pid_file_refusal_text(kind.refusal) + "\n");
            EXPECT_EQ(access(guarded.c_str(), F_OK) == 0, existed);
            if (before == "keep\n") {
                EXPECT_EQ(read_file(guarded), "keep\n");
            }
        }
    }
}

TEST_F(IdleX, PidFileNameWithoutDaemonModeIsNeitherWrittenNorRemoved)
{
    std::string dir = make_temp_dir();
    std::string other = dir + "/someone-elses.pid";
    {
        FILE *f = fopen(other.c_str(), "w");
        fputs("1\n", f);
        fclose(f);
    }
    auto idle = start({"-p", other, "-i", "30"});
    ASSERT_TRUE(type_until_off(1));
    EXPECT_EQ(idle->stop(SIGTERM), 128 + SIGTERM);
    EXPECT_EQ(touchpad_off(), 0);
    EXPECT_EQ(read_file(other), "1\n");
}

TEST_F(IdleX, FatalSignalsSwitchBackOn)
{
    struct rlimit no_core = {0, 0};
    setrlimit(RLIMIT_CORE, &no_core);  // SIGSEGV ends it by its default action
    for (int sig : {SIGINT, SIGHUP, SIGUSR1, SIGSEGV, SIGPWR}) {
        SCOPED_TRACE(sig);
        auto idle = start({"-i", "30"});
        ASSERT_TRUE(type_until_off(1));
        EXPECT_EQ(idle->stop(sig), 128 + sig);
        EXPECT_EQ(touchpad_off(), 0);
    }
}

TEST_F(IdleX, LostDisplayLeavesTheTouchpadOn)
{
    auto idle = start({"-i", "30"});
    ASSERT_TRUE(type_until_off(1));
    typist_.reset();
    x_.reset();
    EXPECT_EQ(idle->wait(10.0), 1);
    EXPECT_EQ(touchpad_off(), 0);
}
