// vorellpad as a program: the block it makes, takes over or leaves alone,
// and its answers to bad command lines and bad recordings. Each test has its
// own IPC namespace.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <fstream>

#include "support.h"
#include "touchpad_block.h"

namespace {

const std::string kTap = std::string(PAD_RECORDINGS) + "/pad-c.two-finger-tap.evemu";

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
    tpsim({"create"});
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
    // One finger down, and the lift only a minute later.
    const std::string path = testing::TempDir() + "pad_long.evemu";
    std::ofstream(path) << "A: 2f 0 1 0 0\nA: 35 0 1000 0 0\nA: 36 0 1000 0 0\nA: 39 0 65535 0 0\n"
                           "E: 0.0 0003 0039 1\nE: 0.0 0003 0035 500\nE: 0.0 0003 0036 500\n"
                           "E: 0.0 0000 0000 0\nE: 60.0 0003 0039 -1\nE: 60.0 0000 0000 0\n";
    tpsim({"create"});  // made by a program that is gone: the first one takes it over
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
    const std::string path = testing::TempDir() + "pad_bad.evemu";
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

}  // namespace
