// The XTEST layer on a real Xvfb: what each input kind delivers, texts with
// shift levels, the keysym table, the focused window's title, and X errors
// that must not end the engine.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <clocale>

#include "support.h"
#include "x_input.h"
#include "x_watch.h"

namespace {

using Events = std::vector<std::string>;

class XInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        install_x_error_handler();
        display = XOpenDisplay(xvfb.display().c_str());
        ASSERT_NE(display, nullptr);
        setlocale(LC_ALL, "C.UTF-8");
        build_keysym_table(display);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
    }

    // A keycode with no keysym at all, free for the test to remap.
    KeyCode free_keycode()
    {
        int min = 0, max = 0, per = 0;
        XDisplayKeycodes(display, &min, &max);
        KeySym *map = XGetKeyboardMapping(display, static_cast<KeyCode>(min), max - min + 1, &per);
        KeyCode found = 0;
        for (int i = max - min; i >= 0 && !found; --i) {
            bool empty = true;
            for (int j = 0; j < per; ++j)
                empty = empty && map[i * per + j] == NoSymbol;
            if (empty)
                found = static_cast<KeyCode>(min + i);
        }
        XFree(map);
        return found;
    }

    Xvfb xvfb;
    Display *display = nullptr;
};

}  // namespace

TEST_F(XInput, EachKindDeliversItsEventsAndUnknownKindsSendNothing)
{
    XWatch watch(xvfb.display());
    send_input(display, "a", 0, InputKind::kKeyTap);
    send_input(display, "Control_L", 0, InputKind::kKeyPress);
    send_input(display, "Control_L", 0, InputKind::kKeyRelease);
    send_input(display, nullptr, 1, InputKind::kButtonClick);
    send_input(display, nullptr, 3, InputKind::kButtonPress);
    send_input(display, nullptr, 3, InputKind::kButtonRelease);
    send_input(display, "b", 2, static_cast<InputKind>(7));
    send_input(display, "b", 2, static_cast<InputKind>(-1));
    send_input(display, "", 0, InputKind::kText);
    send_input(display, nullptr, 0, InputKind::kText);
    EXPECT_EQ(watch.events(display), (Events{"key+ a", "key- a", "key+ Control_L", "key- Control_L",
                                             "button+ 1", "button- 1", "button+ 3", "button- 3"}));
}

TEST_F(XInput, UnknownKeysymNameIsReportedTwiceAndTapsSpace)
{
    XWatch watch(xvfb.display());
    testing::internal::CaptureStderr();
    send_input(display, "NoSuchKeyName", 0, InputKind::kKeyTap);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Unable to resolve keysym for 'NoSuchKeyName'\nUnable to resolve keysym for 'NoSuchKeyName'\n");
    EXPECT_EQ(watch.events(display), (Events{"key+ space", "key- space"}));
}

TEST_F(XInput, TextTypesEachCharacterWithTheModifierOfItsLevel)
{
    XWatch watch(xvfb.display());
    send_input(display, "+", 0, InputKind::kText);
    send_input(display, "-", 0, InputKind::kText);
    send_input(display, "a_]", 0, InputKind::kText);
    EXPECT_EQ(watch.events(display),
              (Events{"key+ Shift_L", "key+ equal", "key- equal", "key- Shift_L", "key+ minus", "key- minus",
                      "key+ a", "key- a", "key+ Shift_L", "key+ minus", "key- minus", "key- Shift_L",
                      "key+ bracketright", "key- bracketright"}));
}

TEST_F(XInput, TextSkipsCharactersTheKeyboardLacksAndStopsAt256)
{
    XWatch watch(xvfb.display());
    ASSERT_EQ(keysym_level(0xE9), -1) << "the test keyboard unexpectedly carries e-acute";
    testing::internal::CaptureStderr();
    // a, e-acute, b, an emoji, c
    send_input(display,
               "a\xc3\xa9"
               "b\xf0\x9f\x98\x80"
               "c",
               0, InputKind::kText);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Character '\xc3\xa9' is not on the keyboard map; skipped.\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("Special character '\xf0\x9f\x98\x80' is currently not supported.\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(watch.events(display), (Events{"key+ a", "key- a", "key+ b", "key- b", "key+ c", "key- c"}));

    std::string long_text(300, 'x');
    send_text(display, long_text.c_str());
    EXPECT_EQ(watch.events(display).size(), 6u + 2 * 256);
}

TEST_F(XInput, KeysymTableKeepsTheFirstKeycodeAndTheLowestLevel)
{
    EXPECT_EQ(keysym_level(XK_a), 0);
    EXPECT_EQ(keysym_level(XK_A), 1);
    EXPECT_EQ(keysym_keycode(XK_a), XKeysymToKeycode(display, XK_a));
    EXPECT_EQ(keysym_keycode(XK_A), keysym_keycode(XK_a));
    EXPECT_EQ(keysym_level(0x20AC), -1);  // EuroSign is not on the test keyboard
    EXPECT_EQ(keysym_keycode(0x20AC), 0);

    // A second key for "a", above the first; and section sign on two levels
    // of one key.
    const KeyCode spare = free_keycode();
    ASSERT_NE(spare, 0);
    ASSERT_GT(spare, XKeysymToKeycode(display, XK_a));
    KeySym syms[2] = {XK_section, XK_a};
    XChangeKeyboardMapping(display, spare, 2, syms, 1);
    XSync(display, False);
    build_keysym_table(display);
    EXPECT_EQ(keysym_keycode(XK_a), XKeysymToKeycode(display, XK_a));
    EXPECT_EQ(keysym_keycode(XK_section), spare);
    EXPECT_EQ(keysym_level(XK_section), 0);

    KeySym twice[2] = {XK_paragraph, XK_paragraph};
    XChangeKeyboardMapping(display, spare, 2, twice, 1);
    XSync(display, False);
    build_keysym_table(display);
    EXPECT_EQ(keysym_level(XK_paragraph), 0);
}

TEST_F(XInput, AKeysymNoKeyCarriesSendsNothingAndTheNextInputWorks)
{
    XWatch watch(xvfb.display());
    ASSERT_EQ(XKeysymToKeycode(display, XK_EuroSign), 0);
    send_input(display, "EuroSign", 0, InputKind::kKeyTap);
    send_input(display, "EuroSign", 0, InputKind::kKeyPress);
    send_input(display, "\xe2\x82\xac", 0, InputKind::kText);  // the euro sign as text
    send_input(display, "z", 0, InputKind::kKeyTap);
    EXPECT_EQ(watch.events(display), (Events{"key+ z", "key- z"}));
}

TEST_F(XInput, FocusTitleComesFromTheWindowOrItsDirectParentOnly)
{
    XWatch watch(xvfb.display(), "doc.pdf - Adobe Reader");
    char *title = get_focus_window_name(display);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "doc.pdf - Adobe Reader");
    XFree(title);

    Display *w = watch.display();
    Window child = XCreateSimpleWindow(w, watch.window(), 0, 0, 50, 50, 0, 0, 0);
    Window grandchild = XCreateSimpleWindow(w, child, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(w, child);
    XMapWindow(w, grandchild);
    XSync(w, False);

    XSetInputFocus(w, child, RevertToParent, CurrentTime);
    XSync(w, False);
    title = get_focus_window_name(display);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "doc.pdf - Adobe Reader");
    XFree(title);

    XSetInputFocus(w, grandchild, RevertToParent, CurrentTime);
    XSync(w, False);
    EXPECT_EQ(get_focus_window_name(display), nullptr);

    XSetInputFocus(w, PointerRoot, RevertToParent, CurrentTime);
    XSync(w, False);
    EXPECT_EQ(get_focus_window_name(display), nullptr);
    XSetInputFocus(w, None, RevertToParent, CurrentTime);
    XSync(w, False);
    EXPECT_EQ(get_focus_window_name(display), nullptr);
    EXPECT_EQ(get_focus_window_name(nullptr), nullptr);
}

TEST_F(XInput, AnXErrorIsIgnoredAndTheNextGestureWorks)
{
    XWatch watch(xvfb.display());
    // A window that no longer exists, as when the focus window vanishes
    // between the focus query and the title read.
    Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);
    const int errors_before = x_errors_ignored.load();
    XTextProperty prop{};
    EXPECT_EQ(XGetWMName(display, gone, &prop), 0);
    Window root, parent;
    Window *children = nullptr;
    unsigned int n = 0;
    EXPECT_EQ(XQueryTree(display, gone, &root, &parent, &children, &n), 0);
    XSync(display, False);
    EXPECT_GT(x_errors_ignored.load(), errors_before);

    send_input(display, "z", 0, InputKind::kKeyTap);
    EXPECT_EQ(watch.events(display), (Events{"key+ z", "key- z"}));
}

TEST_F(XInput, FocusWindowsThatComeAndGoNeverEndTheProcess)
{
    XWatch watch(xvfb.display(), "steady");
    Display *w = watch.display();
    for (int i = 0; i < 300; ++i) {
        Window win = XCreateSimpleWindow(w, watch.window(), 0, 0, 10, 10, 0, 0, 0);
        XStoreName(w, win, "short-lived");
        XMapWindow(w, win);
        XSync(w, False);
        XSetInputFocus(w, win, RevertToParent, CurrentTime);
        XFlush(w);
        XDestroyWindow(w, win);  // may overtake the title read below
        XFlush(w);
        char *title = get_focus_window_name(display);
        if (title)
            XFree(title);
    }
    XSetInputFocus(w, watch.window(), RevertToParent, CurrentTime);
    XSync(w, False);
    char *title = get_focus_window_name(display);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "steady");
    XFree(title);
}
