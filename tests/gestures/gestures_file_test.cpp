// The gestures file as people write it: good lines in every form, each kind
// of bad line with its one message, the [app] sections, a new reading after
// an edit, and one binding changed in a text that keeps everything else.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "file_replace.h"
#include "gestures_edit.h"
#include "gestures_file.h"
#include "support.h"

namespace {

GestureBindings parse(const std::string &text) { return parse_gestures_text("g.conf", text); }

TEST(GesturesFile, ActionsAsPeopleWriteThem)
{
    const struct {
        const char *line;
        ActionKind kind;
        std::vector<std::string> keys;
        int button;
        const char *command;
    } cases[] = {
        {"keys Control+w", ActionKind::kKeys, {"Control_L", "w"}, 0, ""},
        {"KEYS ctrl + Shift+ Tab", ActionKind::kKeys, {"Control_L", "Shift_L", "Tab"}, 0, ""},
        {"keys Alt+Left  # back", ActionKind::kKeys, {"Alt_L", "Left"}, 0, ""},
        {"keys super+XF86AudioMute", ActionKind::kKeys, {"Super_L", "XF86AudioMute"}, 0, ""},
        {"button 2", ActionKind::kButton, {}, 2, ""},
        {"button 32", ActionKind::kButton, {}, 32, ""},
        {"command xdg-open ~", ActionKind::kCommand, {}, 0, "xdg-open ~"},
        {"command  notify-send 'a b' && beep", ActionKind::kCommand, {}, 0, "notify-send 'a b' && beep"},
        {"none", ActionKind::kNone, {}, 0, ""},
        {"Default", ActionKind::kDefault, {}, 0, ""},
    };
    for (const auto &c : cases) {
        GestureBindings b = parse(std::string("[gestures]\ntwo-finger-tap = ") + c.line + "\n");
        const Binding &got = b.global[BoundGesture::kTwoFingerTap];
        EXPECT_TRUE(b.problems.empty()) << c.line << ": " << b.problems[0];
        EXPECT_EQ(got.line, 2) << c.line;
        EXPECT_EQ(got.action.kind, c.kind) << c.line;
        EXPECT_EQ(got.action.keys, c.keys) << c.line;
        EXPECT_EQ(got.action.button, c.button) << c.line;
        EXPECT_EQ(got.action.command, c.command) << c.line;
    }
}

TEST(GesturesFile, EachBadLineHasOneMessageWithItsLineAndTheRestCounts)
{
    const struct {
        const char *line;
        const char *message;
    } cases[] = {
        {"two-finger-tap = keys Contrl+w", "no key is called 'Contrl'"},
        {"two-finger-tap = keys Control++w", "keys needs key names joined by '+'"},
        {"two-finger-tap = keys", "keys needs key names joined by '+'"},
        {"two-finger-tap = keys a+b+c+d+e+f+g+h+i", "keys presses at most 8 keys together"},
        {"two-finger-tap = button 0", "button needs a button number from 1 to 32"},
        {"two-finger-tap = button two", "button needs a button number from 1 to 32"},
        {"two-finger-tap = command", "command needs the command to run"},
        {"two-finger-tap = open firefox", "'open firefox' is no action"},
        {"two-finger-tap =", "no action: write keys"},
        {"four-finger-tap = none", "unknown gesture 'four-finger-tap'"},
        {"two-finger-tap keys Control+w", "not a binding: write GESTURE = ACTION"},
        {"[gestures", "a section's name needs its closing ']'"},
        {"[app]", "[app] needs the application's name"},
        {"[mouse]", "unknown section [mouse]: write [gestures] or [app NAME]"},
    };
    for (const auto &c : cases) {
        const GestureBindings b = parse(std::string("[gestures]\nswipe-left = none\n") + c.line +
                                        "\n[gestures]\nswipe-right = button 9\n");
        ASSERT_EQ(b.problems.size(), 1u) << c.line;
        EXPECT_EQ(b.problems[0].rfind(std::string("g.conf:3: ") + c.message, 0), 0u) << b.problems[0];
        EXPECT_TRUE(b.global[BoundGesture::kSwipeLeft].bound()) << c.line;
        EXPECT_TRUE(b.global[BoundGesture::kSwipeRight].bound()) << c.line;
        EXPECT_FALSE(b.global[BoundGesture::kTwoFingerTap].bound()) << c.line;
    }
    // A line longer than libinih reads whole, and a binding outside any
    // section.
    GestureBindings b = parse("cover = none\n[gestures]\ncover = command " + std::string(200, 'x') + "\n");
    ASSERT_EQ(b.problems.size(), 2u);
    EXPECT_EQ(b.problems[0], "g.conf:1: a binding before any section: put it under [gestures] or [app NAME]");
    EXPECT_EQ(b.problems[1], "g.conf:3: the line is longer than 196 characters");
    EXPECT_EQ(b.count(), 0);
}

TEST(GesturesFile, SectionsIndentationCommentsAndTheLineThatCounts)
{
    const GestureBindings b = parse(
        "\xEF\xBB\xBF; comment\r\n"
        "[gestures]\r\n"
        "  two-finger-tap = button 2   ; middle\r\n"
        "\tpinch-in : keys Control+minus\n"
        "# [app ignored]\n"
        "[app Firefox]   # by class\n"
        "swipe-left = keys Alt+Left\n"
        "[ APP  org.gnome.Nautilus ]\n"
        "two-finger-tap = default\n"
        "[app firefox]\n"
        "swipe-left = keys Alt+Right\n");
    ASSERT_EQ(b.problems.size(), 1u);
    EXPECT_EQ(b.problems[0], "g.conf:11: swipe-left is bound on line 7 of this section already; this line counts");
    EXPECT_EQ(b.global[BoundGesture::kTwoFingerTap].action.button, 2);
    EXPECT_EQ(b.global[BoundGesture::kPinchIn].action.keys, (std::vector<std::string>{"Control_L", "minus"}));
    ASSERT_EQ(b.apps.size(), 2u);
    EXPECT_EQ(b.apps[0].app, "Firefox");
    EXPECT_EQ(b.apps[0][BoundGesture::kSwipeLeft].line, 11);
    EXPECT_EQ(b.apps[1].app, "org.gnome.Nautilus");
    EXPECT_EQ(b.count(), 4);
}

TEST(GesturesFile, TheFocusedWindowsSectionWinsOverTheGlobalOne)
{
    const GestureBindings b = parse(
        "[gestures]\ntwo-finger-tap = button 2\ncover = keys Alt+F4\n"
        "[app firefox]\ntwo-finger-tap = keys Control+w\n"
        "[app Navigator]\ncover = none\n"
        "[app Gimp]\ntwo-finger-tap = default\n");
    const struct {
        BoundGesture gesture;
        const char *instance;
        const char *window_class;
        int line;  // 0: the combo box decides
    } cases[] = {
        {BoundGesture::kTwoFingerTap, "Navigator", "Firefox", 5},
        {BoundGesture::kTwoFingerTap, "FIREFOX", nullptr, 5},
        {BoundGesture::kTwoFingerTap, "xterm", "XTerm", 2},
        {BoundGesture::kTwoFingerTap, nullptr, nullptr, 2},
        {BoundGesture::kTwoFingerTap, "gimp", "Gimp", 0},
        {BoundGesture::kCover, "Navigator", "Firefox", 7},
        {BoundGesture::kCover, "xterm", "XTerm", 3},
        {BoundGesture::kRotateLeft, "Navigator", "Firefox", 0},
    };
    for (const auto &c : cases) {
        const Binding *found = b.find(c.gesture, c.instance, c.window_class);
        EXPECT_EQ(found ? found->line : 0, c.line) << bound_gesture_info(c.gesture).word << " in "
                                                    << (c.instance ? c.instance : "(no class)");
    }
    EXPECT_TRUE(b.bound_for_some_app(BoundGesture::kCover));
    EXPECT_FALSE(b.bound_for_some_app(BoundGesture::kPinchIn));
}

TEST(GesturesFile, ANewReadingKeepsWhatCountedBeforeWhereTheFileFailsIt)
{
    GesturesFileReading first{GesturesFileState::kRead, "", parse("[gestures]\ntwo-finger-tap = button 2\n"
                                                                   "[app xterm]\ncover = none\n")};
    auto before = bindings_after_reading(nullptr, first);

    // A typo while editing: that gesture keeps its binding, the rest is new.
    GesturesFileReading typo{GesturesFileState::kRead, "", parse("[gestures]\ntwo-finger-tap = keys Contrl+w\n"
                                                                  "pinch-in = none\n[app xterm]\ncover = nne\n")};
    auto now = bindings_after_reading(before, typo);
    EXPECT_EQ(now->global[BoundGesture::kTwoFingerTap].action.button, 2);
    EXPECT_TRUE(now->global[BoundGesture::kPinchIn].bound());
    EXPECT_EQ(now->find(BoundGesture::kCover, "xterm", nullptr)->action.kind, ActionKind::kNone);
    EXPECT_EQ(now->problems.size(), 2u);

    // An unreadable file changes nothing; a removed one binds nothing.
    GesturesFileReading unreadable{GesturesFileState::kUnreadable, "Permission denied", {}};
    EXPECT_EQ(bindings_after_reading(now, unreadable), now);
    GesturesFileReading missing{GesturesFileState::kMissing, "No such file or directory", {}};
    EXPECT_EQ(bindings_after_reading(now, missing)->count(), 0);
}

TEST(GesturesFile, ReadFromTheDiskMissingUnreadableOrAFolder)
{
    const std::string dir = make_temp_dir();
    EXPECT_EQ(read_gestures_file(dir + "/none/gestures.conf").state, GesturesFileState::kMissing);
    EXPECT_EQ(read_gestures_file(dir).state, GesturesFileState::kUnreadable);
    std::string why;
    ASSERT_TRUE(replace_file(dir + "/g.conf", "[gestures]\ncover = none\n", &why)) << why;
    GesturesFileReading r = read_gestures_file(dir + "/g.conf");
    EXPECT_EQ(r.state, GesturesFileState::kRead);
    EXPECT_EQ(r.bindings.count(), 1);
    EXPECT_EQ(gestures_file_path("/x/conf", "/home/a"), "/x/conf/vorell/gestures.conf");
    EXPECT_EQ(gestures_file_path("", "/home/a"), "/home/a/.config/vorell/gestures.conf");
    EXPECT_EQ(gestures_file_path("relative", "/home/a"), "/home/a/.config/vorell/gestures.conf");
}

TEST(GesturesEdit, OneBindingChangesAndEverythingElseStaysByteForByte)
{
    const std::string text =
        "# mine\n"
        "[gestures]\n"
        "  two-finger-tap = button 2   ; middle\n"
        "cover = none\n"
        "\n"
        "[app firefox]\n"
        "swipe-left = keys Alt+Left\n"
        "\n";
    const struct {
        std::string app;
        BoundGesture gesture;
        std::string expected;
    } cases[] = {
        // The line that binds it is rewritten in place, indentation kept.
        {"", BoundGesture::kTwoFingerTap,
         "# mine\n[gestures]\n  two-finger-tap = keys Control+w\ncover = none\n\n[app firefox]\n"
         "swipe-left = keys Alt+Left\n\n"},
        // A new binding goes after the section's last line.
        {"", BoundGesture::kPinchIn,
         "# mine\n[gestures]\n  two-finger-tap = button 2   ; middle\ncover = none\npinch-in = keys Control+w\n\n"
         "[app firefox]\nswipe-left = keys Alt+Left\n\n"},
        {"FireFox", BoundGesture::kSwipeLeft,
         "# mine\n[gestures]\n  two-finger-tap = button 2   ; middle\ncover = none\n\n[app firefox]\n"
         "swipe-left = keys Control+w\n\n"},
        // A new section goes at the end.
        {"xterm", BoundGesture::kCover,
         text + "\n[app xterm]\ncover = keys Control+w\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text_with_binding(text, c.app, c.gesture, "keys Control+w"), c.expected) << c.app;
    EXPECT_EQ(text_with_binding("", "", BoundGesture::kCover, "none"), "[gestures]\ncover = none\n");
    EXPECT_EQ(text_with_binding("[gestures]", "", BoundGesture::kCover, "none"), "[gestures]\ncover = none");
    EXPECT_EQ(text_without_binding(text, "", BoundGesture::kTwoFingerTap),
              "# mine\n[gestures]\ncover = none\n\n[app firefox]\nswipe-left = keys Alt+Left\n\n");
    // What the edit wrote reads back as written.
    const GestureBindings b = parse(text_with_binding(text, "xterm", BoundGesture::kCover, "button 3"));
    EXPECT_EQ(b.find(BoundGesture::kCover, "xterm", nullptr)->action.button, 3);
    EXPECT_TRUE(b.problems.empty());
}

TEST(FileReplace, TheNewTextReplacesTheOldThroughALinkKeepingItsMode)
{
    const std::string dir = make_temp_dir();
    std::string why;
    ASSERT_TRUE(make_folders(dir + "/a/b", &why)) << why;
    const std::string target = dir + "/a/b/settings";
    std::ofstream(target) << "old\n";
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink(target.c_str(), (dir + "/link").c_str()), 0);
    ASSERT_TRUE(replace_file(dir + "/link", "new\n", &why)) << why;
    EXPECT_EQ(read_file(target), "new\n");
    struct stat st;
    ASSERT_EQ(lstat((dir + "/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_FALSE(replace_file(dir + "/missing/x", "new\n", &why));
    EXPECT_NE(why.find("cannot make a new file in"), std::string::npos) << why;
}

}  // namespace
