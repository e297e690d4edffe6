// The gestures page's core: a choice's words read back as the same choice,
// one change keeps everything else the person wrote, and a file that cannot
// be read, or words that are no action, leave the file as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "file_replace.h"
#include "gesture_choices.h"
#include "support.h"

TEST(GestureChoices, EachChoiceWrittenReadsBackAsItself)
{
    const struct {
        GestureChoice choice;
        const char *detail;
        bool app;
    } cases[] = {
        {GestureChoice::kKeys, "Control+Shift+w", false},
        {GestureChoice::kButton, "8", true},
        {GestureChoice::kCommand, "xdg-open ~", false},
        {GestureChoice::kNothing, "", true},
        {GestureChoice::kDefault, "", true},
        {GestureChoice::kDefault, "", false},
        {GestureChoice::kAsEverywhere, "", true},
    };
    const std::string path = make_temp_dir() + "/vorell/gestures.conf";
    for (const auto &c : cases) {
        const std::string app = c.app ? "Firefox" : "";
        std::string why;
        ASSERT_TRUE(
            write_binding(path, app, BoundGesture::kCover, choice_words(c.choice, c.detail, c.app), &why))
            << why;
        const GesturesDocument doc = load_gestures(path);
        const BindingSection *section = find_section(doc.bindings, c.app ? "firefox" : "");
        const Binding unbound;
        const Binding &b = section ? (*section)[BoundGesture::kCover] : unbound;
        EXPECT_EQ(choice_of(b, c.app), c.choice) << gesture_choice_name(c.choice) << " " << c.detail;
        EXPECT_TRUE(doc.bindings.problems.empty()) << doc.text;
    }
    EXPECT_EQ(key_combination({true, true, false, true}, "Delete"), "Control+Alt+Super+Delete");
}

TEST(GestureChoices, AChangeKeepsTheRestOfTheFile)
{
    const std::string path = make_temp_dir() + "/gestures.conf";
    const std::string mine =
        "; mine\n[gestures]\ntwo-finger-tap = button 3   # right\nsome-new-word = none\n\n"
        "[app firefox]\nswipe-left = keys Alt+Left\n";
    std::string why;
    ASSERT_TRUE(replace_file(path, mine, &why)) << why;
    ASSERT_TRUE(write_binding(path, "", BoundGesture::kPinchIn, "keys Control+minus", &why)) << why;
    ASSERT_TRUE(write_binding(path, "firefox", BoundGesture::kSwipeLeft, "", &why)) << why;
    EXPECT_EQ(
        load_gestures(path).text,
        "; mine\n[gestures]\ntwo-finger-tap = button 3   # right\nsome-new-word = none\npinch-in = keys "
        "Control+minus\n\n[app firefox]\n");
}

TEST(GestureChoices, NothingIsWrittenOverAFileThatCannotBeRead)
{
    const std::string dir = make_temp_dir();
    const std::string folder_path = dir + "/a-folder";
    ASSERT_EQ(mkdir(folder_path.c_str(), 0700), 0);
    std::string why;
    EXPECT_FALSE(write_binding(folder_path, "", BoundGesture::kCover, "none", &why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
    struct stat st;
    ASSERT_EQ(stat(folder_path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    const std::string path = dir + "/gestures.conf";
    ASSERT_TRUE(replace_file(path, "[gestures]\ncover = none\n", &why)) << why;
    for (const char *words : {"keys NoSuchKeyName", "button 0", "command ", "dance"}) {
        why.clear();
        EXPECT_FALSE(write_binding(path, "", BoundGesture::kCover, words, &why)) << words;
        EXPECT_FALSE(why.empty()) << words;
    }
    EXPECT_EQ(load_gestures(path).text, "[gestures]\ncover = none\n");
}
