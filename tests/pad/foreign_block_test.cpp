// vorellpad and a block it must not use: another local user's, or one that
// others could have attached writable. It is never taken over (not even
// after a change of owner or mode, since mappings made earlier stay
// writable); it is removed and made anew when this user may remove it and
// its maker is gone, and refused with exit status 3 otherwise. Two real
// users made by the test: the desktop user and another one.
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

struct shmid_ds block_stat()
{
    struct shmid_ds ds {};
    int id = shmget(kTouchpadShmKey, 0, 0);
    if (id >= 0)
        shmctl(id, IPC_STAT, &ds);
    return ds;
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
    std::ofstream(path) << "A: 2f 0 1 0 0\nA: 35 0 1000 0 0\nA: 36 0 1000 0 0\nA: 39 0 65535 0 0\n"
                           "E: 0.0 0003 0039 1\nE: 0.0 0003 0035 500\nE: 0.0 0003 0036 500\n"
                           "E: 0.0 0000 0000 0\nE: 60.0 0003 0039 -1\nE: 60.0 0000 0000 0\n";
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
