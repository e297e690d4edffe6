// vorell-session without a systemd user manager: it starts the whole suite
// on a private Xvfb against the simulated block, once per display, shows
// it, and stops it without leaving a process behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "local_users.h"
#include "support.h"

namespace {

// A process that has ended but is not yet reaped counts as gone.
bool alive(pid_t pid)
{
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty())
        return false;
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && stat.size() > paren + 2 && stat[paren + 2] != 'Z';
}

// Waits, with a generous bound, for a process to be gone: its last
// clean-up may still run just after vorell-session has seen it end.
bool gone_within(pid_t pid, double seconds)
{
    for (int waited_ms = 0; alive(pid); waited_ms += 20) {
        if (waited_ms > seconds * 1000)
            return false;
        sleep_ms(20);
    }
    return true;
}

// "name   running (pid N)" lines of the status output.
std::map<std::string, pid_t> running(const std::string &status)
{
    std::map<std::string, pid_t> pids;
    std::istringstream in(status);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name, state, pid_word;
        words >> name >> state >> pid_word >> pid_word;
        if (state == "running")
            pids[name] = atoi(pid_word.c_str());
    }
    return pids;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        enter_private_tmp();  // the run-time folder is under /tmp
        tpsim({"create"});
        root_ = make_temp_dir();
        for (const char *dir : {"/home", "/state", "/runtime"})
            ASSERT_EQ(mkdir((root_ + dir).c_str(), 0700), 0);
    }

    void TearDown() override { session("stop"); }

    RunResult session(const std::string &command)
    {
        RunOptions opt;
        opt.env = {x_.env(), "HOME=" + root_ + "/home", "XDG_STATE_HOME=" + root_ + "/state",
                   "XDG_RUNTIME_DIR=" + root_ + "/runtime", "VORELL_SESSION_NO_SYSTEMD=1"};
        opt.timeout_s = 60;
        return run_program({"vorell-session", command}, opt);
    }

    Xvfb x_;
    std::string root_;
};

TEST_F(SessionTest, StartsEveryDaemonOnceAndStopsThemAll)
{
    RunResult start = session("start");
    ASSERT_EQ(start.status, 0) << start.err;

    RunResult status = session("status");
    EXPECT_EQ(status.status, 0) << status.out << status.err;
    std::map<std::string, pid_t> pids = running(status.out);
    for (const std::string &daemon : daemon_programs()) {
        ASSERT_EQ(pids.count(daemon), 1u) << daemon << " not running:\n" << status.out;
        EXPECT_TRUE(alive(pids[daemon])) << daemon;
        std::string cmdline = read_file("/proc/" + std::to_string(pids[daemon]) + "/cmdline");
        EXPECT_NE(cmdline.find(daemon), std::string::npos) << cmdline;
    }

    // The restore ran in the state folder, not in the home folder, and saved
    // the block's settings where the next start reads them.
    EXPECT_FALSE(read_file(root_ + "/state/vorell/.vorellshm_parameter").empty());
    EXPECT_TRUE(read_file(root_ + "/home/.vorellshm_parameter").empty());
    EXPECT_NE(read_file(root_ + "/home/.vorellshm").find("Parameter settings:"), std::string::npos);

    // A second start on the same display starts nothing new.
    ASSERT_EQ(session("start").status, 0);
    EXPECT_EQ(running(session("status").out), pids);

    RunResult stop = session("stop");
    EXPECT_EQ(stop.status, 0) << stop.err;
    for (const auto &[name, pid] : pids)
        EXPECT_TRUE(gone_within(pid, 5)) << name << " still runs";
    status = session("status");
    EXPECT_EQ(status.status, 3);
    EXPECT_TRUE(running(status.out).empty()) << status.out;
}

TEST_F(SessionTest, StatusNamesWhatCrashed)
{
    ASSERT_EQ(session("start").status, 0);
    std::map<std::string, pid_t> pids = running(session("status").out);
    ASSERT_EQ(pids.count("gestured"), 1u);
    kill(pids["gestured"], SIGKILL);
    ASSERT_TRUE(gone_within(pids["gestured"], 10));

    RunResult status = session("status");
    EXPECT_EQ(status.status, 3);
    EXPECT_NE(status.out.find("gestured               stopped"), std::string::npos) << status.out;
    EXPECT_EQ(running(status.out).size(), pids.size() - 1);
}

// Without systemd and without $XDG_RUNTIME_DIR the run-time folder is under
// /tmp, where another user can be first: his folder full of links to the
// desktop user's files, and a link at the next name, are passed over, nothing
// is written through them, and the daemons still hold their locks.
TEST(SessionPlanted, AnotherUsersFoldersAndLinksArePassedOver)
{
    enter_private_ipc();
    enter_private_tmp();
    LocalUser desk("d"), other("o");
    Xvfb x;  // goes first, and every daemon of the session with it
    const std::string home = desk.make_folder("home");
    const std::string bashrc = home + "/.bashrc";
    std::ofstream(bashrc) << "keep\n";
    ASSERT_EQ(chown(bashrc.c_str(), desk.uid(), desk.gid()), 0);
    const std::string base = "/tmp/vorell-" + std::to_string(desk.uid());
    const std::string planted = base + "/vorell-session/" + x.display();
    std::string plant = "mkdir -p " + planted + " && chmod -R 777 " + base + " && ln -s " + base + " " +
                        base + ".1 && for p in vorellpad";
    for (const std::string &daemon : daemon_programs())
        plant += std::string(" ") + daemon;
    plant += "; do ln -s " + bashrc + " " + planted + "/$p.pid; done";
    ASSERT_EQ(run_program(other.as({"sh", "-c", plant})).status, 0);
    ASSERT_EQ(run_program(desk.as({bin_path("tpsim"), "create"})).status, 0);

    auto session = [&](const std::string &command) {
        RunOptions opt{
            "",
            {x.env(), "HOME=" + home, "XDG_RUNTIME_DIR", "XDG_STATE_HOME", "VORELL_SESSION_NO_SYSTEMD=1"},
            "",
            60.0};
        return run_program(desk.as({"vorell-session", command}), opt);
    };
    RunResult start = session("start");
    ASSERT_EQ(start.status, 0) << start.err;
    EXPECT_NE(start.err.find("passing over " + base + ", which"), std::string::npos) << start.err;
    EXPECT_NE(start.err.find("passing over " + base + ".1, which"), std::string::npos) << start.err;
    EXPECT_EQ(read_file(bashrc), "keep\n");

    RunResult status = session("status");
    EXPECT_EQ(status.status, 0) << status.out << status.err;
    std::map<std::string, pid_t> pids = running(status.out);
    for (const std::string &daemon : daemon_programs()) {
        ASSERT_EQ(pids.count(daemon), 1u) << daemon << " not running:\n" << status.out;
        std::string lock = base + ".2/vorell-";
        lock += daemon;
        lock += "-" + x.display() + ".lock";
        EXPECT_EQ(read_file(lock), std::to_string(pids[daemon]) + "\n") << daemon;
    }
    RunResult second = run_program(desk.as({"gestured"}), RunOptions{"", {x.env()}, "", 20.0});
    EXPECT_EQ(second.status, 4) << second.err;

    EXPECT_EQ(session("stop").status, 0);
    for (const auto &[name, pid] : pids)
        EXPECT_TRUE(gone_within(pid, 5)) << name << " still runs";
    EXPECT_EQ(read_file(bashrc), "keep\n");
}

TEST(SessionCommand, HelpAndUnknownCommands)
{
    const struct {
        std::vector<std::string> args;
        int status;
        const char *text;
    } cases[] = {
        {{"vorell-session", "--help"}, 0, "Usage: vorell-session COMMAND"},
        {{"vorell-session", "--version"}, 0, "vorell-session 7.1.3"},
        {{"vorell-session", "frobnicate"}, 1, "Usage: vorell-session COMMAND"},
        {{"vorell-session"}, 1, "Usage: vorell-session COMMAND"},
    };
    for (const auto &c : cases) {
        RunResult r = run_program(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << r.out << r.err;
    }
}

// Saving never loses the settings: without a block the old file stays
// byte for byte and the save fails with the reason; a save typed while the
// typing monitor holds the pad off stores the pad on.
TEST_F(SessionTest, SaveWithoutABlockRefusesAndLeavesTheOldFile)
{
    const std::string saved = root_ + "/home/.vorellshm";
    std::ofstream(saved) << "Parameter settings:\n    TouchpadOff             = 0\n";
    const std::string before = read_file(saved);
    tpsim({"remove"});
    RunResult save = session("save");
    EXPECT_NE(save.status, 0);
    EXPECT_NE(save.err.find("cannot read the touchpad's settings"), std::string::npos) << save.err;
    EXPECT_EQ(read_file(saved), before);
    EXPECT_EQ(run_program({"sh", "-c", "ls -A " + root_ + "/home"}).out, ".vorellshm\n");
}

TEST_F(SessionTest, ASaveTypedWhileTheTypingMonitorHasThePadOffStoresItOn)
{
    Background idle({bin_path("vorellidle"), "-i", "60", "-t"}, RunOptions{"", {x_.env()}, "", 60});
    KeyTypist typist(x_.display());
    // The Return key that runs the save: the monitor raises TouchpadOff.
    const auto pad_off = [] { return run_program({"tpsim", "get", "TouchpadOff"}).out == "2\n"; };
    for (double deadline = monotonic_s() + 10; !pad_off() && monotonic_s() < deadline;)
        typist.tap(36);
    ASSERT_TRUE(pad_off());

    ASSERT_EQ(session("save").status, 0);
    const std::string saved = read_file(root_ + "/home/.vorellshm");
    EXPECT_NE(saved.find("\n    TouchpadOff             = 0\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n    TappingCheckBox "), std::string::npos) << "the rest is all there";
    EXPECT_TRUE(pad_off()) << "the save changes nothing in the block";
}

// Before each start the daemons' units wait for their X server: after it
// went, a restart waits for the next one instead of failing at once.
TEST_F(SessionTest, WaitDisplayWaitsUntilTheXServerAnswers)
{
    RunOptions gone;
    gone.env = {"DISPLAY=:59999", "HOME=" + root_ + "/home"};
    Background waiting({bin_path("vorell-session"), "wait-display"}, gone);
    EXPECT_TRUE(holds_for([&] { return waiting.running(); }, 1.5)) << waiting.err();
    EXPECT_NE(waiting.err().find("waiting for the X server of :59999"), std::string::npos) << waiting.err();

    RunResult there = session("wait-display");
    EXPECT_EQ(there.status, 0) << there.err;
    EXPECT_EQ(there.err, "");
}

}  // namespace
