// The restorer's whole run in a scratch folder, with the shell commands
// recorded by a stand-in (which plays `vorellctl2 -l` itself).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "restore_fixtures.h"
#include "restore_settings.h"
#include "support.h"

namespace {

class RestoreRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        home_ = make_temp_dir();
        work_ = make_temp_dir();
        ASSERT_EQ(chdir(work_.c_str()), 0);
    }

    // Runs the restorer; the recorded commands land in commands_.
    int run()
    {
        const RestorePlatform p = {
            [](void *ctx, const char *command) { static_cast<RestoreRun *>(ctx)->shell(command); }, this,
            home_.c_str()};
        return restore_settings(p);
    }
    void shell(const std::string &command)
    {
        commands_.push_back(command);
        if (command == "vorellctl2 -l > ~/.vorellshm" && !current_listing_.empty())
            write_text(home_ + "/.vorellshm", current_listing_);
    }
    void save(const std::string &text) { write_text(home_ + "/.vorellshm", text); }
    // Saves rows as the listing and runs the restorer, which must succeed;
    // returns the assignments it sent.
    std::vector<std::string> restore(const std::vector<ListingRow> &rows)
    {
        save(listing_of(rows));
        EXPECT_EQ(run(), 0);
        return assignments();
    }
    std::vector<std::string> assignments() const
    {
        std::vector<std::string> a;
        for (const std::string &c : commands_)
            if (c.rfind("vorellctl2 ", 0) == 0 && c != "vorellctl2 -l > ~/.vorellshm")
                a.push_back(c);
        return a;
    }
    std::vector<std::string> without(const std::string &prefix) const
    {
        std::vector<std::string> expected;
        for (const std::string &c : sample_commands())
            if (c.find(" " + prefix + "=") == std::string::npos)
                expected.push_back(c);
        return expected;
    }

    std::string home_, work_, current_listing_;
    std::vector<std::string> commands_;
};

}  // namespace

TEST_F(RestoreRun, ListingGivesTheFortyOneExactCommands)
{
    save(listing_of(sample_rows()));
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(commands_, sample_commands());
    EXPECT_EQ(read_file(work_ + "/.vorellshm"), read_file(home_ + "/.vorellshm"));

    // The intermediate file: one line per listed row, the three words joined.
    std::string parameters = read_file(work_ + "/.vorellshm_parameter");
    EXPECT_EQ(std::count(parameters.begin(), parameters.end(), '\n'), 46);
    EXPECT_EQ(parameters.rfind("TP_Version=1\nNewStruct=1\nMinSpeed=0.4\n", 0), 0u);
    EXPECT_NE(parameters.find("\nTouchpadOff=2\n"), std::string::npos);
    EXPECT_NE(parameters.find("\nHorizontalScrollingCheckBox=1\n"), std::string::npos);
}

TEST_F(RestoreRun, ShuffledListingGivesTheSameCommands)
{
    std::vector<ListingRow> rows = sample_rows();
    std::mt19937 rng(7);
    std::shuffle(rows.begin(), rows.end(), rng);
    std::string text = listing_of(rows);
    std::replace(text.begin(), text.end(), '\n', '\t');  // spacing does not matter
    save(text);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(assignments(), sample_commands());
}

TEST_F(RestoreRun, MissingSavedFileIsFirstSavedFromTheCurrentSettings)
{
    current_listing_ = listing_of(sample_rows());
    EXPECT_EQ(run(), 0);
    ASSERT_GE(commands_.size(), 1u);
    EXPECT_EQ(commands_[0], "vorellctl2 -l > ~/.vorellshm");
    EXPECT_EQ(assignments(), sample_commands());
}

TEST_F(RestoreRun, NoSavedFileEvenAfterSavingEndsWithStatusOne)
{
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(commands_, std::vector<std::string>{"vorellctl2 -l > ~/.vorellshm"});
}

TEST_F(RestoreRun, OldCopyInTheWorkingFolderIsUsedWhenHomeHasNone)
{
    write_text(work_ + "/.vorellshm", listing_of(sample_rows()));
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(commands_, sample_commands()) << "nothing saved first";
}

TEST_F(RestoreRun, MissingNumbersLeaveOnlyThoseSettingsOut)
{
    std::vector<ListingRow> rows = sample_rows();
    for (ListingRow &r : rows) {
        if (r.first == "MaxSpeed")
            r.second = "fast";
        else if (r.first == "RotationSlider")
            r.second = "99999999999";
        else if (r.first == "DragSlider")
            r.second = "inf";
        else if (r.first == "ZoomSlider")
            r.first = "ZoomSlyder";
    }
    save(listing_of(rows));
    EXPECT_EQ(run(), 0);
    std::vector<std::string> expected;
    for (const std::string &c : sample_commands())
        if (c.find("MaxSpeed=") == std::string::npos && c.find("RotationSlider=") == std::string::npos &&
            c.find("DragSlider=") == std::string::npos && c.find(" ZoomSlider=") == std::string::npos)
            expected.push_back(c);
    EXPECT_EQ(assignments(), expected);
}

TEST_F(RestoreRun, LaterWordWins)
{
    std::vector<ListingRow> rows = sample_rows();
    rows.push_back({"TouchpadOff", "1"});
    rows.push_back({"MaxSpeed", "0.25"});
    std::vector<std::string> a = restore(rows);
    ASSERT_EQ(a.size(), 41u);
    EXPECT_EQ(a[0], "vorellctl2 TouchpadOff=1 ");
    EXPECT_EQ(a[1], "vorellctl2 MaxSpeed=0.25 ");
}

TEST_F(RestoreRun, OverlongWordsAreNoSettingAndDoNotDisturbTheRest)
{
    std::vector<ListingRow> rows = sample_rows();
    // An over-long name before TouchpadOff, and an over-long value.
    rows.insert(rows.begin() + 5, {std::string(300, 'A'), "5"});
    for (ListingRow &r : rows)
        if (r.first == "ZoomInComboBox")
            r.second = std::string(128, '7');
    EXPECT_EQ(restore(rows), without("ZoomInComboBox"));

    // A word of exactly 127 characters is still a word.
    commands_.clear();
    rows = sample_rows();
    rows.push_back({"TouchpadOff", "1" + std::string(126, '0')});
    EXPECT_EQ(restore(rows).front(), "vorellctl2 TouchpadOff=2 ") << "127 digits do not fit an int";
}

TEST_F(RestoreRun, BinaryGarbageSendsNothing)
{
    std::string garbage;
    std::mt19937 rng(11);
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>(rng() % 256);
    garbage += std::string(5000, 'x');  // one very long word at the end
    save(garbage);
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(assignments().empty());

    // Garbage with a NUL inside a setting's word: the key is still found
    // before it, and nothing after the NUL is read as the value.
    commands_.clear();
    static const char with_nul[] =
        "TouchpadOff = 1\0"
        "9 junk\n";
    save(std::string(with_nul, sizeof with_nul - 1));
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(assignments().size(), 1u);
    EXPECT_EQ(assignments()[0], "vorellctl2 TouchpadOff=1 ");
}

TEST_F(RestoreRun, SinglePrecisionValuesPrintShort)
{
    std::vector<ListingRow> rows = sample_rows();
    for (ListingRow &r : rows) {
        if (r.first == "MaxSpeed")
            r.second = "0.1";
        if (r.first == "DragSlider")
            r.second = "1.3";
    }
    std::vector<std::string> a = restore(rows);
    ASSERT_EQ(a.size(), 41u);
    EXPECT_EQ(a[1], "vorellctl2 MaxSpeed=0.1 ");
    EXPECT_EQ(a[31], "vorellctl2 DragSlider=1.3 ");
}
