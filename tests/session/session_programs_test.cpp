// The programs in a desktop session: --help and --version everywhere, one
// copy of each daemon per display, the daemons' end when the X server goes,
// and the daemons and the monitor following a re-created block.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "local_users.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

const char kVersion[] = "QPX7.1.3.10\n";

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

std::string block_bytes(const TouchpadSharedBlock *block)
{
    return std::string(reinterpret_cast<const char *>(block), sizeof *block);
}

// A private X server, a fresh block and a /tmp of the test's own, where the
// lock folder is.
class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        enter_private_tmp();
        block_ = create_test_block();
        x_ = std::make_unique<Xvfb>();
    }
    RunOptions options() const { return RunOptions{"", {x_->env()}, "", 20.0}; }
    std::string lock_path(const std::string &program) const
    {
        return "/tmp/vorell-" + std::to_string(geteuid()) + "/vorell-" + program + "-" + x_->display() +
               ".lock";
    }
    // Started once its lock file names it.
    std::unique_ptr<Background> start(const std::vector<std::string> &argv)
    {
        auto p = std::make_unique<Background>(argv, options());
        std::string path = lock_path(argv[0]);
        bool locked = wait_until([&] { return read_file(path) == std::to_string(p->pid()) + "\n"; });
        EXPECT_TRUE(locked) << argv[0] << ": " << p->err();
        return p;
    }

    TouchpadSharedBlock *block_ = nullptr;
    std::unique_ptr<Xvfb> x_;
};

}  // namespace

TEST(HelpAndVersion, EveryProgramAnswersWithoutTouchingAnything)
{
    enter_private_ipc();  // no block: nothing may need one
    std::string cwd = make_temp_dir();
    std::vector<std::string> programs = {"vorellctl", "vorellctl2", "restoresettings"};
    for (const std::string &daemon : daemon_programs())
        programs.push_back(daemon);
    RunOptions opt{"", {"DISPLAY", "HOME=" + cwd}, cwd, 20.0};
    for (const std::string &program : programs) {
        RunResult help = run_program({program, "--help"}, opt);
        EXPECT_EQ(help.status, 0) << program;
        EXPECT_EQ(help.out.rfind(std::string("Usage: ") + program + " ", 0), 0u) << program << help.out;
        EXPECT_EQ(help.err, "") << program;

        RunResult version = run_program({program, "--version"}, opt);
        EXPECT_EQ(version.status, 0) << program;
        EXPECT_EQ(version.out, kVersion) << program;
        EXPECT_EQ(version.err, "") << program;
    }
    // restoresettings ran nothing: no working files, no saved file.
    EXPECT_EQ(run_program({"ls", "-A", cwd}).out, "");
}

TEST(HelpAndVersion, OtherLongOptionsStillMeetGetopt)
{
    enter_private_ipc();
    struct Case {
        std::vector<std::string> argv;
        int status;
        std::string err_start;
    };
    const Case cases[] = {
        {{"vorellctl", "--bogus"}, 1, "vorellctl: invalid option -- '-'\nUsage: vorellctl [-m"},
        {{"vorellidle", "--bogus"}, 1, "vorellidle: invalid option -- '-'\nUsage: vorellidle [-i"},
        // "--help" as the interval of -m is no request for help.
        {{"vorellctl2", "-m", "--help"}, 1, "Can't access shared memory area. SHMConfig disabled?\n"},
        {{"gestured", "-x", "-v"}, 0, "gestured: invalid option -- 'x'\n"},
        // The release step after a logout: no server, nothing held, no failure.
        {{"gestured", "--release"}, 0, "Can't open display.\n"},
    };
    for (const Case &c : cases) {
        RunResult r = run_program(c.argv, RunOptions{"", {"DISPLAY"}, "", 20.0});
        EXPECT_EQ(r.status, c.status) << c.argv[0];
        EXPECT_EQ(r.err.rfind(c.err_start, 0), 0u) << c.argv[0] << ": " << r.err;
    }
}

TEST_F(Session, SecondCopyOfEachDaemonNamesTheFirstAndChangesNothing)
{
    for (const std::string &daemon : daemon_programs()) {
        SCOPED_TRACE(daemon);
        // The last start-up command of gestured sets it to 0.
        block_->TapButton3 = 1;
        auto first = start({daemon});
        if (std::string(daemon) == "gestured") {
            ASSERT_TRUE(wait_until([&] { return block_->TapButton3 == 0; }));
        }
        // Markers the start-up commands of a second gestured would undo.
        block_->NewStruct = 0;
        block_->TapButton3 = 3;
        const std::string before = block_bytes(block_);

        RunResult second = run_program({daemon}, options());
        EXPECT_EQ(second.status, 4);
        EXPECT_EQ(second.err, std::string(daemon) + ": already running on display " + x_->display() +
                                  " (pid " + std::to_string(first->pid()) + ")\n");
        EXPECT_EQ(block_bytes(block_), before);
        EXPECT_TRUE(first->running());

        // A killed copy leaves no lock behind.
        first->stop(SIGKILL);
        auto again = start({daemon});
        EXPECT_TRUE(again->running());
        block_->NewStruct = 1;
    }
}

// The lock names the X server, not the spelling of $DISPLAY, and lives in
// one place whatever $XDG_RUNTIME_DIR says; another server has its own.
TEST_F(Session, OneCopyPerServerHoweverTheDisplayIsSpelledAndWhateverTheRuntimeFolder)
{
    const std::string number = x_->display().substr(1);
    const std::string spellings[] = {":0" + number, "unix:" + number, ":" + number + ".0",
                                     "unix:00" + number + ".0"};
    const std::string runtime_a = make_temp_dir(), runtime_b = make_temp_dir();
    const std::string runtimes[] = {"XDG_RUNTIME_DIR", "XDG_RUNTIME_DIR=" + runtime_a,
                                    "XDG_RUNTIME_DIR=" + runtime_b};
    Xvfb other_server;
    for (const char *daemon : {"gestured", "vorellidle"}) {
        SCOPED_TRACE(daemon);
        Background first({daemon}, RunOptions{"", {x_->env(), runtimes[1]}, "", 20.0});
        // Its lock file open, wherever it is.
        const std::string fds = "/proc/" + std::to_string(first.pid()) + "/fd";
        ASSERT_TRUE(wait_until([&] {
            return count_of(run_program({"ls", "-l", fds}).out, "/vorell-" + std::string(daemon)) > 0;
        })) << first.err();
        EXPECT_EQ(read_file(lock_path(daemon)), std::to_string(first.pid()) + "\n");
        for (const std::string &spelling : spellings) {
            for (const std::string &runtime : runtimes) {
                SCOPED_TRACE(spelling);
                SCOPED_TRACE(runtime);
                RunResult second =
                    run_program({daemon}, RunOptions{"", {"DISPLAY=" + spelling, runtime}, "", 5.0});
                EXPECT_EQ(second.status, 4);
                EXPECT_EQ(second.err, std::string(daemon) + ": already running on display " + x_->display() +
                                          " (pid " + std::to_string(first.pid()) + ")\n");
            }
        }
        Background elsewhere({daemon}, RunOptions{"", {other_server.env(), runtimes[0]}, "", 20.0});
        const std::string elsewhere_lock = "/tmp/vorell-" + std::to_string(geteuid()) + "/vorell-" + daemon +
                                           "-" + other_server.display() + ".lock";
        EXPECT_TRUE(wait_until([&] {
            return read_file(elsewhere_lock) == std::to_string(elsewhere.pid()) + "\n";
        })) << elsewhere.err();
        EXPECT_TRUE(first.running());
        EXPECT_TRUE(elsewhere.running());
    }
}

TEST_F(Session, DaemonisedTypingMonitorKeepsTheLockInTheChild)
{
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    std::string pid_path = make_temp_dir() + "/idle.pid";
    Background parent({"vorellidle", "-d", "-p", pid_path}, options());
    ASSERT_EQ(parent.wait(20.0), 0);
    ASSERT_TRUE(wait_until([&] { return !read_file(pid_path).empty(); }));
    const std::string daemon_pid = read_file(pid_path);
    EXPECT_TRUE(wait_until([&] { return read_file(lock_path("vorellidle")) == daemon_pid; }));

    RunResult second = run_program({"vorellidle", "-d", "-p", pid_path}, options());
    EXPECT_EQ(second.status, 4);
    EXPECT_EQ(read_file(pid_path), daemon_pid) << "the second copy left the pid file alone";

    pid_t daemon = atoi(daemon_pid.c_str());
    ASSERT_EQ(kill(daemon, SIGTERM), 0);
    ASSERT_EQ(waitpid(daemon, nullptr, 0), daemon);
}

TEST_F(Session, DaemonsEndWhenTheXServerGoes)
{
    constexpr int kTouchpadOff = offsetof(TouchpadSharedBlock, TouchpadOff);
    auto engine = start({"gestured"});
    auto idle = start({"vorellidle", "-i", "30"});
    {
        // Typing switches the touchpad off; it has to come back on.
        KeyTypist typist(x_->display());
        ASSERT_TRUE(wait_until(
            [&] {
                typist.tap(38);
                return block_field(block_, kTouchpadOff) == 1;
            },
            20.0));
    }
    const double killed_at = monotonic_s();
    x_.reset();
    EXPECT_EQ(engine->wait(20.0), 1);
    EXPECT_EQ(idle->wait(20.0), 1);
    // Both notice at once; the figure is printed, not judged.
    printf("both daemons gone %.3f s after the X server\n", monotonic_s() - killed_at);
    EXPECT_EQ(engine->err(), "gestured: lost the X server\n");
    EXPECT_EQ(idle->err(), "vorellidle: lost the X server\n");
    EXPECT_EQ(block_field(block_, kTouchpadOff), 0);
}

TEST_F(Session, TypingMonitorAndClientMonitorFollowARecreatedBlock)
{
    auto idle = start({"vorellidle", "-i", "0.3"});
    Background monitor({"vorellctl2", "-m", "5"}, options());
    ASSERT_TRUE(monitor.wait_for_output("time", 20.0));

    tpsim({"remove"});
    tpsim({"create"});
    const std::string said = "touchpad block re-created, attached again\n";
    // An idle typing monitor looks at the key every ten seconds, and at
    // once when a key is pressed.
    KeyTypist typist(x_->display());
    ASSERT_TRUE(wait_until(
        [&] {
            typist.tap(38);
            return contains(idle->err(), said);
        },
        20.0));
    ASSERT_TRUE(wait_until([&] { return contains(monitor.err(), said); }));
    EXPECT_EQ(idle->err(), "vorellidle: " + said);
    EXPECT_EQ(monitor.err(), "vorellctl2: " + said);

    // The monitor prints the new block's fingers.
    tpsim({"fingers", "--new", "f=1", "x=4321", "y=1234", "z=40"});
    EXPECT_TRUE(monitor.wait_for_output("4321 1234", 20.0)) << monitor.out();

    // Typing switches the new block's touchpad off.
    TouchpadSharedBlock *fresh = attach_shared_block();
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(wait_until(
        [&] {
            typist.tap(38);
            return fresh->TouchpadOff == 1;
        },
        20.0));
    EXPECT_TRUE(idle->running());
    monitor.stop();
}
