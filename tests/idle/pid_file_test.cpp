// The daemon's pid file: fixed mode whatever the umask, and nothing at the
// name is trusted but a regular file of our own.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kbd_helpers.h"
#include "pid_file.h"
#include "planted_paths.h"
#include "support.h"

TEST(PidFile, Mode0644UnderUmaskZeroAndRewrittenWhole)
{
    std::string dir = make_temp_dir();
    mode_t old = umask(0);
    std::string path = dir + "/idle.pid";
    EXPECT_EQ(check_pid_file_path(path.c_str()), PidFileRefusal::kNotRefused);
    PidFileRefusal refusal;
    ASSERT_TRUE(write_pid_file(path.c_str(), 4242, &refusal));
    EXPECT_EQ(read_file(path), "4242\n");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // Our own file from an earlier run, world-writable and longer: reused,
    // with the fixed mode and nothing of the old text left.
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    put_text(path, "123456789\n");
    EXPECT_EQ(check_pid_file_path(path.c_str()), PidFileRefusal::kNotRefused);
    ASSERT_TRUE(write_pid_file(path.c_str(), 7, &refusal));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(read_file(path), "7\n");
    umask(old);
}

TEST(PidFile, AnythingButOurOwnRegularFileIsRefusedUntouched)
{
    for (const PlantedPath &kind : planted_paths()) {
        SCOPED_TRACE(kind.what);
        std::string dir = make_temp_dir(), guarded;
        std::string name = plant(kind.what, dir, &guarded);
        bool existed = access(guarded.c_str(), F_OK) == 0;
        std::string before = existed ? read_file(guarded) : "";

        EXPECT_EQ(check_pid_file_path(name.c_str()), kind.refusal);
        PidFileRefusal refusal = PidFileRefusal::kNotRefused;
        alarm(20);  // a FIFO that blocked the open would end the test here
        EXPECT_FALSE(write_pid_file(name.c_str(), 99, &refusal));
        alarm(0);
        EXPECT_EQ(refusal, kind.refusal);
        EXPECT_EQ(access(guarded.c_str(), F_OK) == 0, existed);
        if (existed && before == "keep\n") {
            EXPECT_EQ(read_file(guarded), "keep\n");
        }
        struct stat st;
        if (kind.refusal == PidFileRefusal::kOtherOwner && lstat(name.c_str(), &st) == 0) {
            EXPECT_EQ(st.st_uid, 65534u) << "the file must stay its owner's";
        }
    }
}

TEST(PidFile, FifoWithAReaderIsRefusedAfterTheOpen)
{
    std::string dir = make_temp_dir(), guarded;
    std::string name = plant("fifo", dir, &guarded);
    int reader = open(name.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    PidFileRefusal refusal = PidFileRefusal::kNotRefused;
    EXPECT_FALSE(write_pid_file(name.c_str(), 99, &refusal));
    EXPECT_EQ(refusal, PidFileRefusal::kNotRegular);
    char c;
    EXPECT_EQ(read(reader, &c, 1), 0) << "nothing may be written into the FIFO";
    close(reader);
}
