// Revert and Defaults: a saved listing comes back as vorellctl2 lists it,
// a file that cannot be used changes nothing and says why, and Defaults
// touches the settings only.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "block_defaults.h"
#include "file_replace.h"
#include "parameter_access.h"
#include "parameter_table.h"
#include "saved_settings.h"
#include "support.h"

namespace {

TouchpadSharedBlock fresh_block()
{
    TouchpadSharedBlock b;
    fill_default_block(&b);
    return b;
}

std::string listing(const TouchpadSharedBlock &b)
{
    char *text = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    print_listing(&b, kCtl2Parameters, out);
    fclose(out);
    std::string s(text, size);
    free(text);
    return s;
}

void set(TouchpadSharedBlock &b, const char *assignment)
{
    apply_assignment(&b, kCtl2Parameters, assignment, stderr);
}

}  // namespace

TEST(SavedSettings, RevertGivesTheSavedListingBack)
{
    // Saved as "vorell-session save" saves: the listing of vorellctl2 -l.
    TouchpadSharedBlock saved = fresh_block();
    for (const char *a :
         {"MaxSpeed=0.3", "DragSlider=2.7", "TwoFTComboBox=16", "ZoomCheckBox=0", "TappingDelayComboBox=13",
          "TapAgainRadioButton=1", "LiftReleaseRadioButton=0", "PalmTrackingSlider=6", "TouchpadOff=1"})
        set(saved, a);
    const std::string home = make_temp_dir();
    std::string why;
    ASSERT_TRUE(replace_file(home + "/.vorellshm", listing(saved), &why)) << why;

    TouchpadSharedBlock b = fresh_block();
    set(b, "ScrollingSpeedSlider=3");
    b.NewStructFingers.f = 2;  // a hand on the pad meanwhile
    RevertOutcome out = revert_to_saved(&b, home.c_str());
    EXPECT_TRUE(out.changed) << out.text;
    EXPECT_EQ(listing(b), listing(saved));
    EXPECT_EQ(b.NewStructFingers.f, 2);
}

TEST(SavedSettings, AFileThatCannotBeUsedChangesNothing)
{
    const struct {
        const char *what;
        const char *content;  // nullptr: no file
        bool folder;
        bool fifo;
        const char *says;
    } cases[] = {
        {"missing", nullptr, false, false, "does not exist"},
        {"a folder", nullptr, true, false, "not a plain file"},
        {"a FIFO", nullptr, false, true, "not a plain file"},
        {"emptied", "", false, false, "holds no settings"},
        {"no setting in it", "Parameter settings:\n  Unknown = 3\n  ZoomCheckBox = \n", false, false,
         "holds no settings"},
    };
    for (const auto &c : cases) {
        const std::string home = make_temp_dir();
        const std::string path = home + "/.vorellshm";
        std::string why;
        if (c.content) {
            ASSERT_TRUE(replace_file(path, c.content, &why)) << why;
        }
        if (c.folder) {
            ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        }
        if (c.fifo) {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        }
        TouchpadSharedBlock b = fresh_block();
        set(b, "ZoomCheckBox=0");
        const std::string before = listing(b);
        RevertOutcome out = revert_to_saved(&b, home.c_str());
        EXPECT_FALSE(out.changed) << c.what;
        EXPECT_NE(out.text.find(c.says), std::string::npos) << c.what << ": " << out.text;
        EXPECT_NE(out.text.find("Nothing was changed."), std::string::npos) << c.what << ": " << out.text;
        EXPECT_EQ(listing(b), before) << c.what;
    }
}

TEST(SavedSettings, DefaultsPutTheSettingsBackAndLeaveTheBlockFormat)
{
    TouchpadSharedBlock b = fresh_block();
    for (const char *a : {"MaxSpeed=0.9", "DragSlider=1", "CovergestureComboBox=17", "SwipePageCheckBox=0",
                          "TouchpadOff=2", "CursorDelayComboBox=40"})
        set(b, a);
    // A driver's block may differ from a fresh one in its format words.
    b.NewStruct = 0;
    b.NewStructFingers.f = 1;
    TouchpadSharedBlock expected = fresh_block();
    expected.NewStruct = 0;
    put_back_defaults(&b);
    EXPECT_EQ(listing(b), listing(expected));
    EXPECT_EQ(b.NewStructFingers.f, 1);
}
