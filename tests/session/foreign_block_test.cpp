// The desktop user's programs and a block another local user made or was
// given: the clients refuse it (status 1), the daemons refuse it once and
// wait for a proper one, and nothing of theirs is written into it. Blocks of
// root and of the desktop user himself (also made by vorellpad) are used as
// ever. Two real users made by the test.
#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "local_users.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

const std::string kTap = std::string(PAD_RECORDINGS) + "/pad-c.two-finger-tap.evemu";

class ForeignBlock : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        enter_private_tmp();
        x_ = std::make_unique<Xvfb>();
    }
    void remove_block()
    {
        if (shmget(kTouchpadShmKey, 0, 0) >= 0)
            tpsim({"remove"});
    }
    // tpsim as user (root when nullptr); fails the test on an error.
    static void tpsim_as(const LocalUser *user, const std::vector<std::string> &args)
    {
        std::vector<std::string> argv{bin_path("tpsim")};
        argv.insert(argv.end(), args.begin(), args.end());
        RunResult r = run_program(user ? user->as(argv) : argv);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    // What the owner or creator of the block may do: give it to anyone.
    static void give_block_to(uid_t uid)
    {
        int id = shmget(kTouchpadShmKey, 0, 0);
        struct shmid_ds ds {};
        ASSERT_EQ(shmctl(id, IPC_STAT, &ds), 0);
        ds.shm_perm.uid = uid;
        ASSERT_EQ(shmctl(id, IPC_SET, &ds), 0);
    }
    // The block as the test sees it, whoever's it is (root's programs trust
    // only root's).
    static TouchpadSharedBlock *look_into_block()
    {
        void *p = shmat(shmget(kTouchpadShmKey, 0, 0), nullptr, 0);
        return p == reinterpret_cast<void *>(-1) ? nullptr : static_cast<TouchpadSharedBlock *>(p);
    }
    static std::string field(const std::string &name)
    {
        return run_program({bin_path("tpsim"), "get", name}).out;
    }
    RunOptions desk_env() const { return RunOptions{"", {x_->env(), "HOME=/"}, "", 20.0}; }
    std::string refusal(const std::string &how, const LocalUser &who) const
    {
        return "The touchpad block " + how + " user " + who.name() + " (uid " + std::to_string(who.uid()) +
               "), not " + (how == "was made by" ? "by" : "to") +
               " you or root: not using it. That user must end the program that made it, or root must "
               "remove it with 'ipcrm -M 29947'; vorellpad then makes a proper one.\n";
    }

    LocalUser desk_{"d"}, other_{"o"};
    std::unique_ptr<Xvfb> x_;
};

}  // namespace

TEST_F(ForeignBlock, ClientsUseOnlyBlocksOfTheirUserOrRoot)
{
    struct Case {
        const char *what;
        std::function<void()> make;
        std::string refused;  // "" when the block is used
    };
    const Case cases[] = {
        {"made by another user", [&] { tpsim_as(&other_, {"create"}); }, refusal("was made by", other_)},
        {"made by another user and given to the desktop user",
         [&] {
             tpsim_as(&other_, {"create"});
             give_block_to(desk_.uid());
         },
         refusal("was made by", other_)},
        {"made by root and given to another user",
         [&] {
             tpsim_as(nullptr, {"create"});
             give_block_to(other_.uid());
         },
         refusal("belongs to", other_)},
        {"made by root", [&] { tpsim_as(nullptr, {"create"}); }, ""},
        {"made by root and given to the desktop user",
         [&] {
             tpsim_as(nullptr, {"create"});
             give_block_to(desk_.uid());
         },
         ""},
        {"made by the desktop user", [&] { tpsim_as(&desk_, {"create"}); }, ""},
        {"made by the desktop user's vorellpad",
         [&] {
             ASSERT_EQ(run_program(desk_.as({bin_path("vorellpad"), "--replay", kTap})).status, 0);
         },
         ""},
        {"made by root's vorellpad for the desktop user",
         [&] {
             ASSERT_EQ(run_program({bin_path("vorellpad"), "--user", desk_.name(), "--replay", kTap}).status,
                       0);
         },
         ""},
    };
    const std::vector<std::vector<std::string>> clients = {
        {"vorellctl2", "-l"}, {"vorellctl", "TapButton1=0"}, {"vorellctl2", "-m", "5"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        remove_block();
        c.make();
        for (const std::vector<std::string> &client : clients) {
            SCOPED_TRACE(client[0] + " " + client[1]);
            if (c.refused.empty() && client[1] == "-m")
                continue;  // the monitor of a usable block runs on
            const std::string tap_before = field("TapButton1");
            RunResult r = run_program(desk_.as(client), desk_env());
            if (c.refused.empty()) {
                EXPECT_EQ(r.status, 0) << r.err;
                EXPECT_EQ(r.err, "");
            } else {
                EXPECT_EQ(r.status, 1);
                EXPECT_EQ(r.err, c.refused);
                EXPECT_EQ(r.out, "");
                EXPECT_EQ(field("TapButton1"), tap_before);
            }
        }
    }
}

TEST_F(ForeignBlock, DaemonsRefuseItOnceTouchNothingAndTakeTheProperOneWhenItComes)
{
    constexpr int kTouchpadOff = offsetof(TouchpadSharedBlock, TouchpadOff);
    constexpr int kDetectTapIntr = offsetof(TouchpadSharedBlock, DetectTapIntr);
    tpsim_as(&other_, {"create"});
    // Markers that gestured's start-up commands would change.
    tpsim({"set", "TapButton3=1", "NewStruct=0", "DisableWhenKeyCheckBox=1"});
    TouchpadSharedBlock *foreign = look_into_block();
    ASSERT_NE(foreign, nullptr);
    const std::string before(reinterpret_cast<const char *>(foreign), kTouchpadShmSize);

    const char *const daemons[] = {"gestured", "vorellidle", "kbdwatch-tap"};
    std::vector<std::unique_ptr<Background>> running;
    // --debug: gestured shows each command as it starts.
    running.push_back(std::make_unique<Background>(desk_.as({"gestured", "--debug"}), desk_env()));
    running.push_back(std::make_unique<Background>(desk_.as({"vorellidle"}), desk_env()));
    running.push_back(std::make_unique<Background>(desk_.as({"kbdwatch-tap"}), desk_env()));
    const std::string said = refusal("was made by", other_);
    for (size_t i = 0; i < running.size(); ++i) {
        SCOPED_TRACE(daemons[i]);
        EXPECT_TRUE(wait_until([&] { return running[i]->err().find(said) != std::string::npos; }, 20.0))
            << running[i]->err();
    }
    // Typing would raise TouchpadOff (vorellidle) and DetectTapIntr (the
    // watcher) in a block they had taken.
    {
        KeyTypist typist(x_->display());
        for (int i = 0; i < 10; ++i)
            typist.tap(38);
    }
    sleep_ms(2500);  // a few of their looks at the key
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(foreign), kTouchpadShmSize), before);
    for (size_t i = 0; i < running.size(); ++i) {
        SCOPED_TRACE(daemons[i]);
        EXPECT_TRUE(running[i]->running()) << "waits rather than ends";
        EXPECT_EQ(count_of(running[i]->err(), said), 1) << "said once, not at every look";
        EXPECT_NE(
            running[i]->err().find(std::string(daemons[i]) + ": waiting for a touchpad block of your own\n"),
            std::string::npos);
    }
    shmdt(foreign);

    // The proper block comes: each daemon takes it and does its work there.
    remove_block();
    tpsim_as(&desk_, {"create"});
    TouchpadSharedBlock *own = look_into_block();
    ASSERT_NE(own, nullptr);
    own->DisableWhenKeyCheckBox = 1;  // the watchers' master switch
    EXPECT_TRUE(wait_until(
        [&] { return count_of(running[0]->err(), "command: vorellctl TapButton3=0\n") == 1; }, 20.0))
        << "gestured ran its start-up commands there: " << running[0]->err();
    KeyTypist typist(x_->display());
    EXPECT_TRUE(wait_until(
        [&] {
            typist.tap(38);
            return block_field(own, kTouchpadOff) == 1 && block_field(own, kDetectTapIntr) == 1;
        },
        20.0))
        << running[1]->err() << running[2]->err();
    for (auto &daemon : running) {
        EXPECT_TRUE(daemon->running()) << daemon->err();
        EXPECT_EQ(count_of(daemon->err(), said), 1) << "and the clients it ran took the block";
    }
}
