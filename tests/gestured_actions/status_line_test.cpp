// The last-gesture line: what an earlier engine left goes at the start, each
// line told reaches the file (the latest wins, mode 0600), the listener that
// was there before (the --debug trace) still hears every line, and the
// engine's end removes the file for good.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "status_line.h"
#include "support.h"

namespace {

std::vector<std::string> heard;

void listener(void *, const char *text) { heard.push_back(text); }

TEST(StatusLine, TheLatestLineReachesThePrivateFile)
{
    const std::string path = make_temp_dir() + "/vorell-gestured-:1.last-gesture";
    std::ofstream(path) << "left by an earlier engine\n";
    EnginePlatform platform{};
    platform.note_binding = listener;
    ASSERT_TRUE(status_line_attach(&platform, path));
    EXPECT_NE(access(path.c_str(), F_OK), 0) << "the earlier line is gone";

    platform.note_binding(platform.ctx, "two-finger-tap = keys Control+w (g.conf:2)");
    platform.note_binding(platform.ctx, "cover: combo box CovergestureComboBox 9 (Page Up)");
    EXPECT_EQ(heard, (std::vector<std::string>{"two-finger-tap = keys Control+w (g.conf:2)",
                                               "cover: combo box CovergestureComboBox 9 (Page Up)"}));
    EXPECT_TRUE(wait_until(
        [&] { return read_file(path) == "cover: combo box CovergestureComboBox 9 (Page Up)\n"; }, 20))
        << read_file(path);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The end takes the file away, and a line told after it stays unwritten.
    status_line_end();
    platform.note_binding(platform.ctx, "three-finger-tap: combo box");
    usleep(100 * 1000);
    EXPECT_NE(access(path.c_str(), F_OK), 0) << read_file(path);
}

}  // namespace
