// restoresettings in a folder another local user can write to (a sticky
// shared folder such as /tmp): his working files are refused, so nothing of
// his reaches the block, and a link he puts at a working file's name while
// root restores never makes root write through it. Two real users made by
// the test, in a private /tmp.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "local_users.h"
#include "restore_fixtures.h"
#include "support.h"

namespace {

const char kShared[] = "/tmp/shared";

// A sticky folder everybody may write, as /tmp is.
void make_shared_folder()
{
    ASSERT_EQ(mkdir(kShared, 0777), 0);
    ASSERT_EQ(chmod(kShared, 01777), 0);
}

std::vector<ListingRow> rows_with_touchpad_off(const std::string &value)
{
    std::vector<ListingRow> rows = sample_rows();
    for (ListingRow &r : rows)
        if (r.first == "TouchpadOff")
            r.second = value;
    return rows;
}

TEST(RestoreUsers, AnotherUsersWorkingFilesAreRefused)
{
    enter_private_ipc();
    enter_private_tmp();
    make_shared_folder();
    LocalUser desk("d"), other("o");
    const std::string home = desk.make_folder("home");
    const std::string saved = listing_of(rows_with_touchpad_off("2"));
    const std::string planted_listing = listing_of(rows_with_touchpad_off("1"));
    ASSERT_EQ(run_program(desk.as({bin_path("tpsim"), "create"})).status, 0);

    struct Case {
        const char *what;
        const char *name;     // the file the other user puts there first
        std::string text;     // with his TouchpadOff=1
        const char *mode;     // its mode
        bool desk_has_saved;  // ~/.vorellshm exists
        std::string refusal;
    };
    const std::string parameters = "TouchpadOff=1\n";
    const Case cases[] = {
        {"his copy, readable", ".vorellshm", planted_listing, "644", true,
         "Can't copy over .vorellshm: Is owned by another user\n"},
        {"his copy, writable by all", ".vorellshm", planted_listing, "666", true,
         "Can't copy over .vorellshm: Is owned by another user\n"},
        {"his copy, and no saved file", ".vorellshm", planted_listing, "644", false,
         "Can't read " + home +
             "/.vorellshm: No such file or directory\n"
             "Can't read .vorellshm: Is owned by another user\n"},
        {"his intermediate file", ".vorellshm_parameter", parameters, "666", true,
         "Can't create .vorellshm_parameter: Is owned by another user\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(run_program({"sh", "-c", std::string("rm -f ") + kShared + "/.vorellshm*"}).status, 0);
        ASSERT_EQ(run_program({"rm", "-f", home + "/.vorellshm"}).status, 0);
        if (c.desk_has_saved) {
            RunResult made = run_program(desk.as({"sh", "-c", "cat > " + home + "/.vorellshm"}),
                                         RunOptions{saved, {}, "", 20.0});
            ASSERT_EQ(made.status, 0);
        }
        const std::string at = std::string(kShared) + "/" + c.name;
        std::string plant = "cat > ";
        plant.append(at).append(" && chmod ").append(c.mode).append(" ").append(at);
        RunResult planted = run_program(other.as({"sh", "-c", plant}), RunOptions{c.text, {}, "", 20.0});
        ASSERT_EQ(planted.status, 0);
        tpsim({"set", "TouchpadOff=0"});

        RunResult r = run_program(desk.as({bin_path("restoresettings")}),
                                  RunOptions{"", {"HOME=" + home}, kShared, 60.0});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.refusal);
        EXPECT_EQ(run_program({bin_path("tpsim"), "get", "TouchpadOff"}).out, "0\n") << "nothing was sent";
        EXPECT_EQ(read_file(at), c.text);
    }
}

TEST(RestoreUsers, ALinkPutThereDuringTheRunNeverMakesRootWriteThroughIt)
{
    enter_private_tmp();
    make_shared_folder();
    LocalUser other("o");
    const std::string victim = "/tmp/victim", home = make_temp_dir(), standin = make_temp_dir();
    write_text(victim, "keep\n");
    write_text(home + "/.vorellshm", listing_of(sample_rows()));
    // The assignments go nowhere, fast.
    ASSERT_EQ(symlink("/bin/true", (standin + "/vorellctl2").c_str()), 0);

    // The other user keeps putting links at both working names and taking
    // them away again (the sticky bit lets him remove only his own).
    const std::string names[] = {std::string(kShared) + "/.vorellshm",
                                 std::string(kShared) + "/.vorellshm_parameter"};
    std::string swap = "while :; do";
    for (const std::string &n : names)
        swap.append(" ln -s ").append(victim).append(" ").append(n).append(";");
    for (const std::string &n : names)
        swap.append(" rm -f ").append(n).append(";");
    swap += " done 2>/dev/null";
    Background swapper(other.as({"sh", "-c", swap}));

    int completed = 0, refused = 0;
    constexpr int kRuns = 100;
    for (int run = 0; run < kRuns; ++run) {
        for (const std::string &n : names) {
            struct stat st;
            if (lstat(n.c_str(), &st) == 0 && st.st_uid == 0)
                unlink(n.c_str());  // root's own files from the run before
        }
        RunResult r = run_program(
            {bin_path("restoresettings")},
            RunOptions{"", {"HOME=" + home, "PATH=" + standin + ":/usr/bin:/bin"}, kShared, 60.0});
        (r.status == 0 ? completed : refused) += 1;
        ASSERT_EQ(read_file(victim), "keep\n") << "run " << run << ": " << r.err;
    }
    swapper.stop(9);
    printf("%d runs beside a link swapper: %d completed, %d refused a link\n", kRuns, completed, refused);
    struct stat st;
    ASSERT_EQ(stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 5);
}

}  // namespace
