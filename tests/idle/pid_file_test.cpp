// The daemon's pid file: fixed mode whatever the umask, no link following.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kbd_helpers.h"
#include "pid_file.h"
#include "support.h"

TEST(PidFile, Mode0644UnderUmaskZeroAndNoLinkFollowed)
{
    std::string dir = make_temp_dir();
    mode_t old = umask(0);
    std::string path = dir + "/idle.pid";
    ASSERT_TRUE(write_pid_file(path.c_str(), 4242));
    EXPECT_EQ(read_file(path), "4242\n");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // A world-writable file left at the name gets the fixed mode too.
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_TRUE(write_pid_file(path.c_str(), 7));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(read_file(path), "7\n");

    // A symbolic link at the name is refused and its target left alone.
    std::string target = dir + "/precious";
    std::string link = dir + "/link.pid";
    { FILE *f = fopen(target.c_str(), "w"); fputs("keep\n", f); fclose(f); }
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    errno = 0;
    EXPECT_FALSE(write_pid_file(link.c_str(), 1));
    EXPECT_EQ(errno, ELOOP);
    EXPECT_EQ(read_file(target), "keep\n");
    umask(old);
}
