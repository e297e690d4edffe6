// The state file that keeps the user's driver parameters: what is believed
// of its text, and that neither writing nor reading it goes through a link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "saved_parameters.h"
#include "support.h"

namespace {

TEST(SavedParameters, OnlyAWellFormedTextIsBelieved)
{
    SavedParameter written[] = {{"TapButton1", 1, true}, {"DragHoldButton", -7, true}};
    const std::string good = format_saved_parameters(3, written, 2);
    struct Case {
        std::string text;
        bool believed;
    } cases[] = {
        {good, true},
        {good + "Unknown=5\n", true},  // names it does not know are passed over
        {"", false},
        {"TapButton1=1\n", false},  // no block line
        {"block x\nTapButton1=1\n", false},
        {"block 3\nTapButton1=\n", false},
        {"block 3\nTapButton1=1x\n", false},
        {"block 3\nTapButton1=99999999999\n", false},
        {"block 3\nTapButton1 1\n", false},
        {"block 3\nTapButton1=1\nDragHoldButton=-7", true},       // a last line without its newline
        {"block 3\nTapButton1=1\n\nDragHoldButton=-7\n", false},  // an empty line
    };
    for (const Case &c : cases) {
        SavedParameter read[] = {{"TapButton1", 0, false}, {"DragHoldButton", 0, false}};
        int id = -1;
        EXPECT_EQ(parse_saved_parameters(c.text, &id, read, 2), c.believed) << c.text;
        if (c.believed) {
            EXPECT_EQ(id, 3);
            EXPECT_TRUE(read[0].present && read[0].value == 1 && read[1].present && read[1].value == -7);
        }
    }
}

TEST(SavedParameters, ALinkAtThePathIsReplacedNeverFollowed)
{
    const std::string dir = make_temp_dir();
    const std::string victim = dir + "/victim";
    const std::string path = dir + "/gestured.parameters";
    std::ofstream(victim) << "precious\n";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    std::string text;
    EXPECT_FALSE(read_private_file(path, &text));

    ASSERT_TRUE(write_private_file(path, "block 1\n"));
    EXPECT_EQ(read_file(victim), "precious\n");
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_TRUE(read_private_file(path, &text));
    EXPECT_EQ(text, "block 1\n");
}

}  // namespace
