// The gestures file on the action thread, through the recorder: what each
// kind of binding sends for taps, steps and held buttons, the focused
// window's section, window switching that a binding takes, the latches and
// the typing gate, the words each gesture is told in.
#include <gtest/gtest.h>

#include "action_recorder.h"
#include "bound_gestures.h"
#include "gesture_actions.h"

namespace {

using Events = std::vector<std::string>;

std::string window_instance, window_class;
std::vector<std::string> notes;

bool fake_class(void *, char *instance, char *klass, int cap)
{
    if (window_instance.empty())
        return false;
    snprintf(instance, static_cast<size_t>(cap), "%s", window_instance.c_str());
    snprintf(klass, static_cast<size_t>(cap), "%s", window_class.c_str());
    return true;
}

void note(void *, const char *text) { notes.push_back(text); }

class BoundActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_recorder();
        window_instance.clear();
        window_class.clear();
        notes.clear();
        platform_ = recorder_platform;
        platform_.focus_class = fake_class;
        platform_.bindings = &bindings_;
        platform_.note_binding = note;
    }

    void bind(const std::string &text)
    {
        GestureBindings b = parse_gestures_text("g.conf", text);
        ASSERT_TRUE(b.problems.empty()) << b.problems[0];
        bindings_.install(std::make_shared<GestureBindings>(b));
    }
    Events entry(Gesture code, int32_t arg = 0)
    {
        recorded.clear();
        carry_out_action(platform_, engine, code, arg);
        return recorded;
    }

    BindingsInForce bindings_;
    EnginePlatform platform_{};
};

const std::string kZoomOutCursor =
    "run /usr/bin/xsetroot -cursor /usr/share/vorelltouchpad_data/cursor_image/Zoom_Out.xbm "
    "/usr/share/vorelltouchpad_data/cursor_image/Zoom_Out.xbm";

TEST_F(BoundActions, EachKindOfBindingOnEachKindOfGesture)
{
    const struct {
        const char *binding;
        Gesture code;
        Events expected;
    } cases[] = {
        {"two-finger-tap = keys Control+Shift+t",
         Gesture::kTapTwo,
         {"key+ Control_L", "key+ Shift_L", "key+ t", "key- t", "key- Shift_L", "key- Control_L"}},
        {"three-finger-tap = button 2", Gesture::kTapThree, {"click 2"}},
        {"cover = command xdg-open ~", Gesture::kCover, {"run ( xdg-open ~ ) &"}},
        {"pinch-in = keys Control+minus",
         Gesture::kZoomOut,
         {kZoomOutCursor, "key+ Control_L", "key+ minus", "key- minus", "key- Control_L"}},
        {"rotate-left = none",
         Gesture::kRotateCCW,
         {"run /usr/bin/xsetroot -cursor /usr/share/vorelltouchpad_data/cursor_image/Left_Rotate.xbm "
          "/usr/share/vorelltouchpad_data/cursor_image/Left_Rotate.xbm"}},
        {"swipe-right = button 9", Gesture::kSwipeXInc, {"click 9"}},
        {"three-finger-up = command nautilus ~", Gesture::kMyHome, {"run ( nautilus ~ ) &"}},
        // "default" is the combo box: a right click for combo value 1.
        {"two-finger-tap = default", Gesture::kTapTwo, {"button+ 3", "button- 3"}},
    };
    for (const auto &c : cases) {
        use_recorder();
        bind(std::string("[gestures]\n") + c.binding + "\n");
        EXPECT_EQ(entry(c.code, 1), c.expected) << c.binding;
    }
    // Scroll steps and the drag lock's entries are never looked up.
    notes.clear();
    for (Gesture code : {Gesture::kScrollYInc, Gesture::kTapClick, Gesture::kButtonRelease})
        entry(code);
    EXPECT_TRUE(notes.empty());
}

TEST_F(BoundActions, ABoundPhysicalButtonHoldsItsKeysOrButtonUntilItsRelease)
{
    bind(
        "[gestures]\nleft-button = keys Control+Alt\nright-button = button 8\nmiddle-button = command "
        "beep\n");
    EXPECT_EQ(entry(Gesture::kButtonLeft, 4), (Events{"key+ Control_L", "key+ Alt_L"}));
    EXPECT_EQ(entry(Gesture::kButtonRelease, 4), (Events{"key- Alt_L", "key- Control_L"}));
    EXPECT_EQ(entry(Gesture::kButtonRelease, 4), Events{}) << "let go of once";
    EXPECT_EQ(entry(Gesture::kButtonRight, 1), Events{"button+ 8"});
    // The file changes while the button is down: what was pressed is let go.
    bind("[gestures]\n");
    EXPECT_EQ(entry(Gesture::kButtonRelease, 1), Events{"button- 8"});
    bind("[gestures]\nmiddle-button = command beep\n");
    EXPECT_EQ(entry(Gesture::kButtonMiddle, 2), Events{"run ( beep ) &"});
    EXPECT_EQ(entry(Gesture::kButtonRelease, 2), Events{});
    // Any next entry lets go, as it does for the combo boxes' buttons.
    bind("[gestures]\nleft-button = keys Shift\n");
    entry(Gesture::kButtonLeft, 4);
    EXPECT_EQ(entry(Gesture::kTapTwo, 7), Events{"key- Shift_L"});
}

TEST_F(BoundActions, TheFocusedWindowsSectionWinsAndItsClassIsAskedOnlyWhenItMatters)
{
    bind("[gestures]\ntwo-finger-tap = button 2\n[app Firefox]\ntwo-finger-tap = keys Control+w\n");
    window_instance = "Navigator";
    window_class = "firefox";
    EXPECT_EQ(entry(Gesture::kTapTwo, 1), (Events{"key+ Control_L", "key+ w", "key- w", "key- Control_L"}));
    window_instance = "xterm";
    window_class = "XTerm";
    EXPECT_EQ(entry(Gesture::kTapTwo, 1), Events{"click 2"});
    window_instance.clear();
    EXPECT_EQ(entry(Gesture::kTapTwo, 1), Events{"click 2"});

    // No section binds the cover: the class is never asked for.
    platform_.focus_class = nullptr;
    EXPECT_EQ(entry(Gesture::kCover, 9), Events{"tap Page_Up"});
}

// The words of the --debug trace and of the settings window's last-gesture
// line: which binding, combo box or built-in action a gesture used.
TEST_F(BoundActions, EachGestureIsToldInWords)
{
    bind(
        "[gestures]\ntwo-finger-tap = keys Control+w\nthree-finger-tap = none\n"
        "[app Firefox]\npinch-in = command notify-send zoom\n");
    window_instance = "Navigator";
    window_class = "firefox";
    const struct {
        Gesture code;
        int32_t arg;
        const char *words;  // null: nothing told
    } cases[] = {
        {Gesture::kTapTwo, 1, "two-finger-tap = keys Control+w (g.conf:2)"},
        {Gesture::kTapThree, 2, "three-finger-tap = none (g.conf:3)"},
        {Gesture::kZoomOut, 0, "[app Firefox] pinch-in = command notify-send zoom (g.conf:5)"},
        {Gesture::kCover, 9, "cover: combo box CovergestureComboBox 9 (Page Up)"},
        {Gesture::kCover, 999, "cover: combo box CovergestureComboBox 999 (no action)"},
        {Gesture::kSwipeXDec, 0, "swipe-left: built in, back (Alt+Left)"},
        {Gesture::kScrollYInc, 1, nullptr},
    };
    for (const auto &c : cases) {
        notes.clear();
        entry(c.code, c.arg);
        EXPECT_EQ(notes, c.words ? Events{c.words} : Events{}) << static_cast<int>(c.code);
    }
}

TEST_F(BoundActions, WindowSwitchingThatABindingTakesNeverBegins)
{
    bind("[gestures]\nthree-finger-down = keys Super+w\n");
    EXPECT_EQ(entry(Gesture::kSwitchWindowsBegin),
              (Events{"key+ Super_L", "key+ w", "key- w", "key- Super_L"}));
    EXPECT_EQ(entry(Gesture::kSwitchWindowsNext), Events{});
    EXPECT_EQ(entry(Gesture::kSwitchWindowsPrev), Events{});
    EXPECT_EQ(entry(Gesture::kSwitchWindowsEnd), Events{});
    // Unbound again, the engine's own switching holds Alt_L to its end.
    bind("[gestures]\n");
    EXPECT_EQ(entry(Gesture::kSwitchWindowsBegin), (Events{"key+ Alt_L", "key+ Tab", "key- Tab"}));
    EXPECT_EQ(entry(Gesture::kSwitchWindowsNext), (Events{"key+ Tab", "key- Tab"}));
    EXPECT_EQ(entry(Gesture::kSwitchWindowsEnd), Events{"key- Alt_L"});
}

TEST_F(BoundActions, LatchesAndTheTypingGateHoldBackBindingsAsTheyDoTheComboBoxes)
{
    bind(
        "[gestures]\ncover = none\nswipe-left = button 8\npinch-out = button 9\n"
        "two-finger-tap = keys Alt+Control+d\n");
    EXPECT_EQ(entry(Gesture::kSwipeXDec), Events{"click 8"});
    EXPECT_EQ(entry(Gesture::kZoomIn, 3), Events{}) << "a swipe silences zooming for the touch";
    entry(Gesture::kCover, 0);
    EXPECT_EQ(entry(Gesture::kSwipeXDec), Events{}) << "so does a cover";
    engine.latches.reset();
    engine.settings.DetectGestureIntr.store(1);
    EXPECT_EQ(entry(Gesture::kTapTwo, 17), Events{}) << "while a key is held";
}

}  // namespace
