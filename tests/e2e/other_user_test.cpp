// End to end with two real local users: a scroll another user replays into
// a block of his own never reaches the desktop user's X server, while the
// same engine scrolls as soon as the desktop user's own block is there.
#include <gtest/gtest.h>

#include <string>

#include "desk.h"
#include "kbd_helpers.h"
#include "local_users.h"

namespace {

RunResult tpsim_as(const LocalUser &user, const std::vector<std::string> &args)
{
    std::vector<std::string> argv{bin_path("tpsim")};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(user.as(argv));
}

TEST(OtherUser, HisScrollNeverReachesTheDesktop)
{
    enter_private_ipc();
    enter_private_tmp();
    LocalUser desk("d"), other("o");
    Xvfb x;
    ASSERT_EQ(tpsim_as(other, {"create"}).status, 0);

    RunOptions opt{"", {x.env(), "HOME=/"}, "", 20.0};
    Background recorder({bin_path("xrecord")}, opt);
    ASSERT_TRUE(recorder.wait_for_output("ready\n", 20)) << recorder.err();
    // --debug shows each command as it starts.
    Background engine(desk.as({bin_path("gestured"), "--debug"}), opt);
    // All six threads, the sampler among them, and time for a look at the
    // block and more.
    const std::string tasks = "/proc/" + std::to_string(engine.pid()) + "/task";
    ASSERT_TRUE(wait_until(
        [&] {
            return count_of(run_program({"ls", tasks}).out, "\n") >= 6;
        },
        20.0))
        << engine.err();
    sleep_ms(1500);

    for (int i = 0; i < 2; ++i) {
        RunResult replay = tpsim_as(other, {"replay", "--new", trace_path("scroll_down")});
        ASSERT_EQ(replay.status, 0) << replay.err;
    }
    sleep_ms(1000);
    EXPECT_EQ(count_of(recorder.out(), "ButtonPress"), 0) << recorder.out();
    EXPECT_TRUE(engine.running()) << engine.err();
    EXPECT_NE(engine.err().find("gestured: waiting for a touchpad block of your own\n"), std::string::npos)
        << engine.err();

    // The desktop user's own block: the engine takes it, runs its start-up
    // commands there, and the same scroll arrives.
    tpsim({"remove"});
    ASSERT_EQ(tpsim_as(desk, {"create"}).status, 0);
    const std::string last = "gestured:   command: vorellctl TapButton3=0\n";
    ASSERT_TRUE(wait_until([&] { return engine.err().find(last) != std::string::npos; }, 20.0))
        << engine.err();
    ASSERT_TRUE(wait_until([&] { return tpsim_as(desk, {"get", "TapButton3"}).out == "0\n"; }, 20.0));
    ASSERT_EQ(tpsim_as(desk, {"replay", "--new", trace_path("scroll_down")}).status, 0);
    fprintf(stderr, "DBG %s\n",
            run_program({"sh", "-c",
                         "ipcs -m; grep -i sysv /proc/" + std::to_string(engine.pid()) + "/maps; cat /proc/" +
                             std::to_string(engine.pid()) + "/task/*/comm; cat /proc/" +
                             std::to_string(engine.pid()) + "/status | head -5"})
                .out.c_str());
    EXPECT_TRUE(wait_until([&] { return count_of(recorder.out(), "ButtonPress 5") > 0; }, 20.0))
        << engine.err() << recorder.out();
    engine.stop(15);
    recorder.stop(15);
}

}  // namespace
