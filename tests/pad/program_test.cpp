// vorellpad as a program: the block it makes, takes over or leaves alone,
// and its answers to bad command lines and bad recordings. Each test has its
// own IPC namespace. A block it must not use (another local user's, or one
// that others could have attached writable) is never taken over, not even
// after a change of owner or mode, since mappings made earlier stay
// writable: it is removed and made anew when this user may remove it and its
// maker is gone, and refused with exit status 3 otherwise. Those tests run
// with two real users made by the test: the desktop user and another one.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <fstream>
#include <functional>

#include "local_users.h"
#include "support.h"
#include "touchpad_block.h"

namespace {

const std::string kTap = std::string(PAD_RECORDINGS) + "/pad-c.two-finger-tap.evemu";
// One finger down, and the lift only a minute later.
const char kLongTouch[] =
    "A: 2f 0 1 0 0\nA: 35 0 1000 0 0\nA: 36 0 1000 0 0\nA: 39 0 65535 0 0\n"
    "E: 0.0 0003 0039 1\nE: 0.0 0003 0035 500\nE: 0.0 0003 0036 500\n"
    "E: 0.0 0000 0000 0\nE: 60.0 0003 0039 -1\nE: 60.0 0000 0000 0\n";

RunResult pad(const std::vector<std::string> &args)
{
    std::vector<std::string> argv{bin_path("vorellpad")};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv);
}

struct shmid_ds block_stat()
{
    struct shmid_ds ds {};
    int id = shmget(kTouchpadShmKey, 0, 0);
    if (id >= 0)
        shmctl(id, IPC_STAT, &ds);
    return ds;
}

TEST(PadProgram, ReplayCreatesAPrivateBlockWithTheDefaultsAndLiftsAtTheEnd)
{
    enter_private_ipc();
    RunResult r = pad({"--replay", kTap});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("created the touchpad block"), std::string::npos) << r.err;
    EXPECT_EQ(block_stat().shm_perm.mode & 0777, 0600u);
    TouchpadSharedBlock *b = attach_shared_block();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->NewStruct, 1);
    EXPECT_EQ(b->MaxTapTime, 180);
    EXPECT_EQ(b->NewStructFingers.f, 0);
    EXPECT_NE(b->NewStructFingers.x2_1, 0) << "the tap's positions were published";
}

TEST(PadProgram, TakesOverAnOrphanedBlockKeepingItsParameters)
{
    enter_private_ipc();
    tpsim({"create", "--mode", "600"});  // as an earlier vorellpad leaves it
    tpsim({"set", "MaxTapTime=123", "TwoFTComboBox=9"});
    RunResult r = pad({"--replay", kTap});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("took over"), std::string::npos) << r.err;
    TouchpadSharedBlock *b = attach_shared_block();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->MaxTapTime, 123);
    EXPECT_EQ(b->TwoFTComboBox, 9);
    EXPECT_EQ(block_stat().shm_perm.mode & 0777, 0600u);
}

TEST(PadProgram, RefusesABlockMadeByALiveProgram)
{
    enter_private_ipc();
    // This test process plays the driver that made the block.
    int id = shmget(kTouchpadShmKey, kTouchpadShmSize, IPC_CREAT | 0666);
    ASSERT_GE(id, 0);
    auto *b = static_cast<TouchpadSharedBlock *>(shmat(id, nullptr, 0));
    b->NewStructFingers.x2_1 = 4242;
    RunResult r = pad({"--replay", kTap});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("belongs to another running program"), std::string::npos) << r.err;
    EXPECT_EQ(b->NewStructFingers.x2_1, 4242) << "nothing written beside the driver";
    shmdt(b);
    shmctl(id, IPC_RMID, nullptr);
}

TEST(PadProgram, ASecondVorellpadLeavesTheFirstAloneAndASignalLiftsTheFingers)
{
    enter_private_ipc();
    const std::string path = make_temp_dir() + "/long.evemu";
    std::ofstream(path) << kLongTouch;
    // Made by a program that is gone: the first one takes it over.
    tpsim({"create", "--mode", "600"});
    Background first({bin_path("vorellpad"), "--replay", path});
    TouchpadSharedBlock *b = nullptr;
    for (int i = 0; i < 500 && !(b && b->NewStructFingers.f == 1); ++i) {
        if (!b && shmget(kTouchpadShmKey, 0, 0) >= 0)
            b = attach_shared_block();
        sleep_ms(10);
    }
    ASSERT_TRUE(b && b->NewStructFingers.f == 1) << first.err();

    RunResult second = pad({"--replay", kTap});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find("another vorellpad (process " + std::to_string(first.pid())), std::string::npos)
        << second.err;
    EXPECT_EQ(b->NewStructFingers.f, 1);

    EXPECT_EQ(first.stop(15), 0);
    EXPECT_EQ(b->NewStructFingers.f, 0) << "the finger is lifted when vorellpad ends";
}

TEST(PadProgram, BadRecordingFailsBeforeAnythingIsWritten)
{
    enter_private_ipc();
    const std::string path = make_temp_dir() + "/bad.evemu";
    std::ofstream(path) << "N: Pad\nA: 35 0 100 0 0\nE: 0.1 0003 0035 5\nE: 0.2 0003\n";
    RunResult r = pad({"--replay", path});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "vorellpad: " + path +
                         ":4: expected \"E: seconds.micros type code value\" (type and code "
                         "hexadecimal, value decimal)\n");
    EXPECT_LT(shmget(kTouchpadShmKey, 0, 0), 0) << "no block was made";
}

TEST(PadProgram, CommandLine)
{
    enter_private_ipc();
    struct Case {
        std::vector<std::string> args;
        int status;
        const char *out_or_err;
    } cases[] = {
        {{"--help"}, 0, "Exit status: 0 done"},
        {{"--version"}, 0, "vorellpad 7.1.3\n"},
        {{"--bogus"}, 1, "vorellpad: unknown argument '--bogus'"},
        {{"--replay"}, 1, "vorellpad: --replay needs a value"},
        {{"--replay", "a", "--record", "b"}, 1, "exclude each other"},
        {{"--replay", "/nonexistent.evemu"}, 2, "/nonexistent.evemu: cannot be read"},
        {{"--replay", "/dev/zero"}, 2, "vorellpad: /dev/zero: is a device, not a recording"},
        {{"--replay", "/"}, 2, "vorellpad: /: is a folder, not a recording"},
        {{"--user", "no-such-user-here", "--replay", kTap}, 1, "no user named"},
        {{"--device", "/nonexistent/event9"}, 4, "cannot read /nonexistent/event9"},
        {{"--device", "/dev/null"}, 4, "/dev/null is not an input device"},
        {{"--record", "/tmp/x.evemu", "--device", "/dev/null"}, 4, "not an input device"},
    };
    for (const Case &c : cases) {
        RunResult r = pad(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_NE((r.out + r.err).find(c.out_or_err), std::string::npos) << c.args[0] << r.err;
    }
    EXPECT_LT(shmget(kTouchpadShmKey, 0, 0), 0) << "no block without a touchpad";
}

int block_id() { return shmget(kTouchpadShmKey, 0, 0); }

// What its owner or creator may do to a block: give it to anyone, any mode.
void set_owner_and_mode(uid_t uid, unsigned mode)
{
    struct shmid_ds ds = block_stat();
    ds.shm_perm.uid = uid;
    ds.shm_perm.mode = static_cast<unsigned short>(mode);
    ASSERT_EQ(shmctl(block_id(), IPC_SET, &ds), 0);
}

TEST(PadForeignBlock, NeverUsedOnlyReplacedWhenItMayBe)
{
    enter_private_ipc();
    enter_private_tmp();
    LocalUser desk("d"), other("o");
    auto tpsim_as = [](const LocalUser *u, const std::vector<std::string> &args) {
        std::vector<std::string> argv{bin_path("tpsim")};
        argv.insert(argv.end(), args.begin(), args.end());
        ASSERT_EQ(run_program(u ? u->as(argv) : argv).status, 0);
    };
    const std::vector<std::string> as_root{bin_path("vorellpad"), "--user", desk.name(), "--replay", kTap};
    const std::vector<std::string> as_desk = desk.as({bin_path("vorellpad"), "--replay", kTap});
    const std::string others = other.name() + " (uid " + std::to_string(other.uid()) + ")";

    struct Case {
        const char *what;
        std::function<void()> make;
        std::vector<std::string> pad;
        bool replaced;  // else refused with status 3, the block left as it was
        std::string said;
    };
    const Case cases[] = {
        {"another user's stale block, vorellpad as root", [&] { tpsim_as(&other, {"create"}); }, as_root,
         true, "vorellpad: removed a touchpad block made by user " + others + "\n"},
        {"another user's stale block, vorellpad as the desktop user", [&] { tpsim_as(&other, {"create"}); },
         as_desk, false,
         "vorellpad: the touchpad block is made by user " + others +
             "; not using it. Its user or root must remove it with 'ipcrm -M 29947'.\n"},
        {"another user's block given to the desktop user, mode 0600",
         [&] {
             tpsim_as(&other, {"create"});
             set_owner_and_mode(desk.uid(), 0600);
         },
         as_desk, true, "vorellpad: removed a touchpad block made by user " + others + "\n"},
        {"root's stale block open to others, vorellpad as root", [&] { tpsim_as(nullptr, {"create"}); },
         as_root, true, "vorellpad: removed a touchpad block open to other users (mode 0666)\n"},
        {"root's stale block open to others, vorellpad as the desktop user",
         [&] { tpsim_as(nullptr, {"create"}); }, as_desk, false,
         "vorellpad: the touchpad block is open to other users (mode 0666); not using it. Its user or root "
         "must remove it with 'ipcrm -M 29947'.\n"},
        {"the desktop user's own block open to others", [&] { tpsim_as(&desk, {"create"}); }, as_desk, true,
         "vorellpad: removed a touchpad block open to other users (mode 0666)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (block_id() >= 0)
            tpsim({"remove"});
        c.make();
        const int id_before = block_id();
        const struct shmid_ds before = block_stat();

        RunResult r = run_program(c.pad);
        EXPECT_EQ(r.err.rfind(c.said, 0), 0u) << r.err;
        const struct shmid_ds after = block_stat();
        if (c.replaced) {
            EXPECT_EQ(r.status, 0);
            EXPECT_NE(block_id(), id_before);
            EXPECT_EQ(after.shm_perm.uid, desk.uid());
            EXPECT_EQ(after.shm_perm.mode & 0777, 0600u);
        } else {
            EXPECT_EQ(r.status, 3);
            EXPECT_EQ(block_id(), id_before);
            EXPECT_EQ(after.shm_perm.uid, before.shm_perm.uid);
            EXPECT_EQ(after.shm_perm.mode, before.shm_perm.mode) << "not restricted and used either";
        }
    }
}

TEST(PadForeignBlock, ABlockWhoseMakerStillRunsIsLeftAloneAndNamed)
{
    enter_private_ipc();
    enter_private_tmp();
    LocalUser desk("d"), other("o");
    // The other user's own vorellpad, with one finger down for a minute.
    const std::string path = "/tmp/pad_long.evemu";
    std::ofstream(path) << kLongTouch;
    Background maker(other.as({bin_path("vorellpad"), "--replay", path}));
    for (int i = 0; i < 1000 && block_id() < 0; ++i)
        sleep_ms(10);
    ASSERT_GE(block_id(), 0) << maker.err();

    RunResult r = run_program({bin_path("vorellpad"), "--user", desk.name(), "--replay", kTap});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "vorellpad: the touchpad block is made by user " + other.name() + " (uid " +
                         std::to_string(other.uid()) + "), and its program (process " +
                         std::to_string(maker.pid()) +
                         ") still runs; not using it. That user must end that program, or root must remove "
                         "the block with 'ipcrm -M 29947'.\n");
    EXPECT_EQ(block_stat().shm_perm.uid, other.uid());
    maker.stop(15);
}

}  // namespace
