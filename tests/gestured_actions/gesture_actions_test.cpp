// hotkey_event_thread's handling of one action_queue entry, through the
// recorder: every code with each application title, the latches, the typing
// gate, the pointer shapes, the scroll-direction flags and the drag button.
#include <gtest/gtest.h>

#include "action_recorder.h"
#include "engine_state.h"
#include "gesture_actions.h"
#include "selectable_actions.h"

namespace {

using Events = std::vector<std::string>;

std::string cursor(const std::string &image)
{
    const std::string path = "/usr/share/vorelltouchpad_data/cursor_image/" + image + ".xbm";
    return "run /usr/bin/xsetroot -cursor " + path + " " + path;
}

const std::string V = cursor("V_Scroll");
const std::string H = cursor("H_Scroll");
const std::string ZO = cursor("Zoom_Out");
const std::string ZI = cursor("Zoom_In");
const std::string RR = cursor("Right_Rotate");
const std::string LR = cursor("Left_Rotate");

const std::string kEscape = "run /usr/local/bin/xte  'key Escape'";
const std::string kDownLeft = "run /usr/local/bin/xte  'keydown Left'";
const std::string kUpLeft = "run /usr/local/bin/xte  'keyup Left'";
const std::string kDownRight = "run /usr/local/bin/xte  'keydown Right'";
const std::string kUpRight = "run /usr/local/bin/xte  'keyup Right'";
const std::string kDownCtrl = "run /usr/local/bin/xte  'keydown Control_L'";
const std::string kUpCtrl = "run /usr/local/bin/xte  'keyup Control_L' ";
const std::string kWheel5 = "run /usr/local/bin/xte  'mouseclick 5'";
const std::string kWheel4 = "run /usr/local/bin/xte  'mouseclick 4'";

const Events kPdfLeft = {kEscape, kDownLeft, kUpLeft};
const Events kPdfRight = {kEscape, kDownRight, kUpRight};
const Events kPdfWheel5 = {kDownCtrl, kWheel5, kUpCtrl};
const Events kPdfWheel4 = {kDownCtrl, kWheel4, kUpCtrl};
const Events kCtrlClick5 = {"key+ Control_L", "button+ 5", "button- 5", "key- Control_L"};
const Events kCtrlClick4 = {"key+ Control_L", "button+ 4", "button- 4", "key- Control_L"};

Events with(const std::string &first, const Events &rest)
{
    Events all{first};
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

struct EntryCase {
    Gesture code;
    int32_t arg;
    const char *title;  // nullptr: no title
    Events expected;
};

const EntryCase kEntries[] = {
    // Buttons, taps and cover: the application action of the combo value.
    {Gesture::kTapTwo, 14, nullptr, kCtrlClick5},
    {Gesture::kTapTwo, 11, "doc.pdf - Adobe Reader", kPdfLeft},
    {Gesture::kTapThree, 12, "doc.pdf - Adobe Reader", kPdfRight},
    {Gesture::kTapTwo, 14, "doc.pdf - Adobe Reader", kPdfWheel5},
    {Gesture::kTapThree, 15, "doc.pdf - Adobe Reader", kPdfWheel4},
    {Gesture::kTapTwo, 9, "doc.pdf - Adobe Reader", {"tap Page_Up"}},
    {Gesture::kTapTwo, 14, "News - Web Browser", {"key+ Control_L", "text -", "key- Control_L"}},
    {Gesture::kTapThree, 15, "News - Web Browser", {"key+ Control_L", "text +", "key- Control_L"}},
    {Gesture::kTapTwo, 11, "News - Web Browser", {"click 6"}},
    {Gesture::kTapTwo, 15, "Glyde-Pad settings", kCtrlClick5},
    {Gesture::kTapThree, 14, "Glyde-Pad settings", kCtrlClick4},
    {Gesture::kCover, 15, "Glyde-Pad settings", kCtrlClick5},
    {Gesture::kButtonMiddle, 14, "Glyde-Pad settings", kCtrlClick4},
    {Gesture::kTapTwo, 14, "Gwenview", kCtrlClick5},
    {Gesture::kTapTwo, 0, nullptr, {"button+ 1", "button- 1"}},
    {Gesture::kTapThree, 1, nullptr, {"button+ 3", "button- 3"}},
    {Gesture::kCover, 2, nullptr, {"button+ 2", "button- 2"}},
    {Gesture::kButtonLeft, 0, nullptr, {}},
    {Gesture::kButtonRight, 1, nullptr, {"button+ 3"}},
    {Gesture::kButtonLeft, 16, nullptr, {"key+ Alt_L", "tap F4", "key- Alt_L"}},
    // Vertical scroll: button 4 for code 5, button 5 for code 6.
    {Gesture::kScrollYDec, 0, nullptr, {V, "click 4"}},
    {Gesture::kScrollYInc, 0, "Editor", {V, "click 5"}},
    {Gesture::kScrollYInc, 0, "doc.pdf - Adobe Reader", {V, "click 5"}},
    {Gesture::kScrollYDec, 0, "photo.jpg - Gwenview", {V}},
    {Gesture::kScrollYInc, 0, "F-Spot", {V, "click 5"}},
    // Horizontal scroll: button 6 for code 7, 7 for code 8; arrows in the PDF viewer.
    {Gesture::kScrollXDec, 0, nullptr, {H, "click 6"}},
    {Gesture::kScrollXInc, 0, "Editor", {H, "click 7"}},
    {Gesture::kScrollXDec, 0, "doc.pdf - Adobe Reader", with(H, kPdfLeft)},
    {Gesture::kScrollXInc, 0, "doc.pdf - Adobe Reader", with(H, kPdfRight)},
    {Gesture::kScrollXDec, 0, "Gwenview", {H}},
    {Gesture::kScrollXInc, 0, "F-Spot", {H, "click 7"}},
    // Zoom.
    {Gesture::kZoomOut, 0, nullptr, {ZO, "tap Page_Up"}},
    {Gesture::kZoomIn, 3, nullptr, with(ZI, kCtrlClick4)},
    {Gesture::kZoomOut, 2, "doc.pdf - Adobe Reader", with(ZO, kPdfWheel5)},
    {Gesture::kZoomIn, 3, "doc.pdf - Adobe Reader", with(ZI, kPdfWheel4)},
    {Gesture::kZoomIn, 4, "doc.pdf - Adobe Reader", {ZI, "key+ Alt_L", "key+ F9", "key- F9", "key- Alt_L"}},
    {Gesture::kZoomIn, 3, "Glyde-Pad", with(ZI, kCtrlClick5)},
    {Gesture::kZoomOut, 2, "Glyde-Pad", with(ZO, kCtrlClick4)},
    {Gesture::kZoomOut, 2, "News - Web Browser", {ZO}},
    {Gesture::kZoomOut, 5, "News - Web Browser", {ZO, "key+ Alt_L", "key+ F10", "key- F10", "key- Alt_L"}},
    {Gesture::kZoomIn, 2, "Gwenview", with(ZI, kCtrlClick5)},
    // Rotation.
    {Gesture::kRotateCW, 2, nullptr, {RR, "key+ Control_L", "key+ R", "key- R", "key- Control_L"}},
    {Gesture::kRotateCCW, 3, nullptr, {LR, "key+ Control_L", "key+ L", "key- L", "key- Control_L"}},
    {Gesture::kRotateCW,
     2,
     "doc.pdf - Adobe Reader",
     {RR, "key+ Control_L", "key+ Shift_L", "text +", "key- Shift_L", "key- Control_L"}},
    {Gesture::kRotateCCW,
     3,
     "doc.pdf - Adobe Reader",
     {LR, "key+ Control_L", "key+ Shift_L", "text _", "key- Shift_L", "key- Control_L"}},
    {Gesture::kRotateCW, 1, "doc.pdf - Adobe Reader", {RR, "tap Page_Down"}},
    {Gesture::kRotateCW, 2, "F-Spot", {RR, "text ]"}},
    {Gesture::kRotateCCW, 3, "F-Spot", {LR, "text ["}},
    {Gesture::kRotateCW, 2, "OpenOffice Draw", {RR}},
    {Gesture::kRotateCCW, 0, "OpenOffice Draw", {LR, "tap Page_Up"}},
    // Swipe.
    {Gesture::kSwipeXDec, 0, nullptr, {"key+ Alt_L", "key+ Left", "key- Left", "key- Alt_L"}},
    {Gesture::kSwipeXInc, 0, "Terminal", {"key+ Alt_L", "key+ Right", "key- Right", "key- Alt_L"}},
    {Gesture::kSwipeXDec, 0, "Gwenview", {"click 6"}},
    {Gesture::kSwipeXInc, 0, "Gwenview", {"click 7"}},
    {Gesture::kSwipeXDec,
     0,
     "OpenOffice Writer",
     {"key+ Control_L", "key+ Page_Up", "key- Page_Up", "key- Control_L"}},
    {Gesture::kSwipeXInc,
     0,
     "OpenOffice Writer",
     {"key+ Control_L", "key+ Page_Down", "key- Page_Down", "key- Control_L"}},
    {Gesture::kSwipeXDec, 0, "doc.pdf - Adobe Reader", {kEscape, kDownCtrl, kDownLeft, kUpLeft, kUpCtrl}},
    {Gesture::kSwipeXInc, 0, "doc.pdf - Adobe Reader", {kEscape, kDownCtrl, kDownRight, kUpRight, kUpCtrl}},
    // Home and window switching.
    {Gesture::kMyHome, 0, nullptr, {"run /usr/bin/nautilus &"}},
    {Gesture::kSwitchWindowsBegin, 0, nullptr, {"key+ Alt_L", "key+ Tab", "key- Tab"}},
    {Gesture::kSwitchWindowsPrev, 0, nullptr, {"key+ Shift_L", "key+ Tab", "key- Tab", "key- Shift_L"}},
    {Gesture::kSwitchWindowsNext, 0, nullptr, {"key+ Tab", "key- Tab"}},
    {Gesture::kSwitchWindowsEnd, 0, nullptr, {"key- Alt_L"}},
    // Drag button.
    {Gesture::kTapClick, 0, nullptr, {"run vorellctl TapButton1=1"}},
    {Gesture::kDragRelease, 0, nullptr, {"button- 1", "run vorellctl TapButton1=1"}},
    {Gesture::kDragPress, 0, nullptr, {"button+ 1", "run vorellctl TapButton1=0"}},
    // Nothing of their own.
    {Gesture::kButtonRelease, 3, nullptr, {}},
    {static_cast<Gesture>(24), 0, nullptr, {}},
    {static_cast<Gesture>(-1), 0, nullptr, {}},
};

class GestureActions : public ::testing::Test {
protected:
    void SetUp() override { use_recorder(); }

    void entry(Gesture code, int32_t arg = 0, const char *title = nullptr)
    {
        recorder_has_title = title != nullptr;
        recorder_title = title ? title : "";
        carry_out_action(recorder_platform, engine, code, arg);
    }
    // A raw queue value, known or not.
    void entry(int32_t code, int32_t arg = 0, const char *title = nullptr)
    {
        entry(static_cast<Gesture>(code), arg, title);
    }
    Events take()
    {
        Events e = recorded;
        recorded.clear();
        return e;
    }
};

}  // namespace

TEST_F(GestureActions, EveryCodeWithEachTitleSendsItsInputAndCommands)
{
    for (const EntryCase &c : kEntries) {
        use_recorder();
        entry(c.code, c.arg, c.title);
        EXPECT_EQ(recorded, c.expected) << "code " << static_cast<int32_t>(c.code) << " arg " << c.arg
                                        << " title " << (c.title ? c.title : "(none)");
    }
}

TEST_F(GestureActions, CursorCommandIsByteExact)
{
    entry(Gesture::kScrollYInc);
    ASSERT_FALSE(recorded.empty());
    EXPECT_EQ(recorded[0],
              "run /usr/bin/xsetroot -cursor /usr/share/vorelltouchpad_data/cursor_image/V_Scroll.xbm "
              "/usr/share/vorelltouchpad_data/cursor_image/V_Scroll.xbm");
}

TEST_F(GestureActions, PointerImageRunsOncePerKindAndSwitchesBetweenKinds)
{
    entry(Gesture::kScrollYInc);
    entry(Gesture::kScrollYDec);
    entry(Gesture::kScrollYInc);
    EXPECT_EQ(take(), (Events{V, "click 5", "click 4", "click 5"}));
    EXPECT_EQ(engine.latches.vscroll_cursor_shown.load(), 1);

    entry(Gesture::kScrollXInc);
    EXPECT_EQ(take(), (Events{H, "click 7"}));
    EXPECT_EQ(engine.latches.vscroll_cursor_shown.load(), 0);
    EXPECT_EQ(engine.latches.hscroll_cursor_shown.load(), 1);

    // The sampler clears the flags when the fingers lift; the image then
    // goes up again.
    engine.latches.hscroll_cursor_shown.store(0);
    entry(Gesture::kScrollXInc);
    EXPECT_EQ(take(), (Events{H, "click 7"}));

    entry(Gesture::kRotateCCW, 7);
    EXPECT_EQ(take(), (Events{LR}));
    EXPECT_EQ(engine.latches.hscroll_cursor_shown.load() + engine.latches.rotate_left_cursor_shown.load(), 1);
}

TEST_F(GestureActions, ScrollStepsSetDirectionFlagsAndArmAutoScroll)
{
    // Each step sets its direction and clears the opposite one.
    using Flag = std::atomic<int32_t> AutoScrollWords::*;
    const struct {
        Gesture code;
        Flag set, cleared;
    } steps[] = {
        {Gesture::kScrollYDec, &AutoScrollWords::scroll_up_active, &AutoScrollWords::scroll_down_active},
        {Gesture::kScrollYInc, &AutoScrollWords::scroll_down_active, &AutoScrollWords::scroll_up_active},
        {Gesture::kScrollXDec, &AutoScrollWords::scroll_left_active, &AutoScrollWords::scroll_right_active},
        {Gesture::kScrollXInc, &AutoScrollWords::scroll_right_active, &AutoScrollWords::scroll_left_active},
    };
    for (const auto &step : steps) {
        entry(step.code);
        EXPECT_EQ((engine.scroll.*step.set).load(), 1) << static_cast<int>(step.code);
        EXPECT_EQ((engine.scroll.*step.cleared).load(), 0) << static_cast<int>(step.code);
        EXPECT_EQ(engine.scroll.scroll_active.load(), 1) << static_cast<int>(step.code);
    }

    // Any entry starts by disarming auto-scroll.
    entry(Gesture::kButtonRelease);
    EXPECT_EQ(engine.scroll.scroll_active.load(), 0);
    // A scroll step that does not arm leaves it disarmed, even after one
    // that did.
    entry(Gesture::kScrollYInc);
    entry(Gesture::kScrollYInc, 0, "Gwenview");
    EXPECT_EQ(engine.scroll.scroll_active.load(), 0);
}

TEST_F(GestureActions, PhotoViewersScrollWithoutArmingAutoScroll)
{
    entry(Gesture::kScrollYInc, 0, "F-Spot");
    entry(Gesture::kScrollXDec, 0, "F-Spot");
    EXPECT_EQ(engine.scroll.scroll_active.load(), 0);
    EXPECT_EQ(engine.scroll.scroll_down_active.load() + engine.scroll.scroll_left_active.load(), 0);

    entry(Gesture::kScrollYInc, 0, "Gwenview");
    EXPECT_EQ(engine.scroll.scroll_active.load(), 0);
    EXPECT_EQ(engine.scroll.scroll_down_active.load(), 0);
}

TEST_F(GestureActions, PdfHorizontalScrollSetsByKeyFlagUntilAnotherTitledWindow)
{
    entry(Gesture::kScrollXDec, 0, "doc.pdf - Adobe Reader");
    EXPECT_EQ(engine.scroll.scroll_left_by_key.load(), 1);
    EXPECT_EQ(engine.scroll.scroll_right_by_key.load(), 0);
    EXPECT_EQ(engine.scroll.scroll_left_active.load(), 1);
    EXPECT_EQ(engine.scroll.scroll_active.load(), 1);
    entry(Gesture::kScrollXInc, 0, "doc.pdf - Adobe Reader");
    EXPECT_EQ(engine.scroll.scroll_left_by_key.load(), 0);
    EXPECT_EQ(engine.scroll.scroll_right_by_key.load(), 1);

    // No title: the flags stay.
    entry(Gesture::kButtonRelease);
    EXPECT_EQ(engine.scroll.scroll_right_by_key.load(), 1);
    // A titled window that is not the PDF viewer clears both.
    entry(Gesture::kButtonRelease, 0, "Editor");
    EXPECT_EQ(engine.scroll.scroll_left_by_key.load() + engine.scroll.scroll_right_by_key.load(), 0);
}

TEST_F(GestureActions, CoverLatchSilencesGesturesButNotButtonsTapsOrDrags)
{
    entry(Gesture::kCover, 10);
    EXPECT_EQ(take(), (Events{"click 5"}));
    EXPECT_EQ(engine.latches.cover_gesture_latch.load(), 1);

    for (int32_t code = int32_t(Gesture::kScrollYDec); code <= int32_t(Gesture::kCover); ++code) {
        if (code == int32_t(Gesture::kSwitchWindowsEnd))
            continue;
        entry(code, 2);
        EXPECT_EQ(take(), Events{}) << "code " << code;
    }
    EXPECT_EQ(engine.latches.swipe_latch.load(), 0);

    entry(Gesture::kTapTwo, 13);
    entry(Gesture::kButtonMiddle, 12);
    entry(Gesture::kDragPress);
    entry(Gesture::kDragRelease);
    EXPECT_EQ(take(), (Events{"click 4", "click 7", "button+ 1", "run vorellctl TapButton1=0", "button- 1",
                              "run vorellctl TapButton1=1"}));
}

TEST_F(GestureActions, SwipeLatchSilencesScrollAndZoomOnly)
{
    entry(Gesture::kSwipeXInc);
    EXPECT_EQ(engine.latches.swipe_latch.load(), 1);
    take();

    for (int32_t code = int32_t(Gesture::kScrollYDec); code <= int32_t(Gesture::kZoomIn); ++code) {
        entry(code, 0);
        EXPECT_EQ(take(), Events{}) << "code " << code;
    }
    entry(Gesture::kRotateCW, 0);
    EXPECT_EQ(take(), (Events{RR, "tap Page_Up"}));
    entry(Gesture::kSwipeXDec);
    EXPECT_EQ(take(), (Events{"key+ Alt_L", "key+ Left", "key- Left", "key- Alt_L"}));
}

TEST_F(GestureActions, TypingGateLetsOnlyTheAltControlDActionThrough)
{
    engine.settings.DetectGestureIntr.store(1);

    entry(Gesture::kTapTwo, 17);
    EXPECT_EQ(take(),
              (Events{"key+ Alt_L", "key+ Control_L", "key+ D", "key- D", "key- Control_L", "key- Alt_L"}));
    entry(Gesture::kTapTwo, 14);
    entry(Gesture::kScrollYInc);
    entry(Gesture::kZoomIn, 3);
    entry(Gesture::kSwipeXInc);
    entry(Gesture::kSwitchWindowsBegin);
    entry(Gesture::kTapClick);
    entry(Gesture::kDragPress);
    entry(Gesture::kScrollYInc, 17);  // 17 counts only for button, tap and cover entries
    EXPECT_EQ(take(), Events{});
    EXPECT_EQ(engine.latches.vscroll_cursor_shown.load(), 0);
    EXPECT_EQ(engine.latches.swipe_latch.load(), 0);

    engine.settings.DetectCovergestureIntr.store(1);
    entry(Gesture::kCover, 17);
    entry(Gesture::kButtonLeft, 17);
    EXPECT_EQ(take(), Events{});
}

TEST_F(GestureActions, TypingGateNeverHoldsBackTheEndOfSomethingHeld)
{
    entry(Gesture::kSwitchWindowsBegin);
    entry(Gesture::kDragPress);
    take();
    engine.settings.DetectGestureIntr.store(1);
    engine.latches.cover_gesture_latch.store(1);
    entry(Gesture::kSwitchWindowsEnd);
    entry(Gesture::kDragRelease);
    EXPECT_EQ(take(), (Events{"key- Alt_L", "button- 1", "run vorellctl TapButton1=1"}));
}

TEST_F(GestureActions, BrowserZoomStepsAfterThreeEntriesAndAtMostEvery950Ms)
{
    const char *browser = "News - Web Browser";

    // Start: the first two entries send nothing; the third, still within
    // 950 ms of the thread start, neither.
    entry(Gesture::kZoomIn, 3, browser);
    entry(Gesture::kZoomIn, 3, browser);
    recorder_now_ms += 949;
    entry(Gesture::kZoomIn, 3, browser);
    EXPECT_EQ(take(), (Events{ZI}));
    recorder_now_ms += 1;
    entry(Gesture::kZoomIn, 3, browser);
    EXPECT_EQ(take(), (Events{"key+ Control_L", "text +", "key- Control_L"}));

    // The counters start again: two entries send nothing, even much later.
    recorder_now_ms += 5000;
    entry(Gesture::kZoomIn, 3, browser);
    entry(Gesture::kZoomIn, 3, browser);
    EXPECT_EQ(take(), Events{});
    entry(Gesture::kZoomIn, 3, browser);
    EXPECT_EQ(take(), (Events{"key+ Control_L", "text +", "key- Control_L"}));

    // Zoom out counts on its own; a step in either direction resets both.
    engine.latches.zoom_in_cursor_shown.store(0);
    recorder_now_ms += 1000;
    entry(Gesture::kZoomIn, 3, browser);
    entry(Gesture::kZoomOut, 2, browser);
    entry(Gesture::kZoomOut, 2, browser);
    entry(Gesture::kZoomOut, 2, browser);
    EXPECT_EQ(take(), (Events{ZI, ZO, "key+ Control_L", "text -", "key- Control_L"}));
    EXPECT_EQ(hotkey_state.zoom_in_steps, 0);
}

TEST_F(GestureActions, DragPressHoldsButtonOneAndTapClicksUntilRelease)
{
    entry(Gesture::kDragPress);
    entry(Gesture::kTapClick);
    entry(Gesture::kTapClick);
    EXPECT_EQ(take(), (Events{"button+ 1", "run vorellctl TapButton1=0", "click 1", "click 1"}));
    EXPECT_EQ(hotkey_state.tap_button1_off, 1);

    entry(Gesture::kDragRelease);
    entry(Gesture::kTapClick);
    EXPECT_EQ(take(), (Events{"button- 1", "run vorellctl TapButton1=1", "run vorellctl TapButton1=1"}));

    engine.drag.drag_timeout_off.store(1);
    entry(Gesture::kTapClick);
    EXPECT_EQ(take(), Events{});
}

TEST_F(GestureActions, RemappedButtonStaysDownUntilTheNextEntry)
{
    entry(Gesture::kButtonRight, 1);
    EXPECT_EQ(take(), (Events{"button+ 3"}));
    EXPECT_EQ(right_button_held, 1);
    EXPECT_EQ(hold_gesture, 1);

    entry(Gesture::kButtonRelease, 1, "Editor");
    EXPECT_EQ(take(), (Events{"button- 3"}));
    EXPECT_EQ(right_button_held, 0);
    EXPECT_EQ(hold_gesture, 0);

    // A physical left button remapped to "left button" sends nothing itself.
    entry(Gesture::kButtonLeft, 0);
    EXPECT_EQ(take(), Events{});
}

TEST_F(GestureActions, CoverRunsOncePerTouch)
{
    entry(Gesture::kCover, 8);
    entry(Gesture::kCover, 8);
    EXPECT_EQ(take(), (Events{"tap Page_Down"}));
    engine.latches.cover_gesture_latch.store(0);  // the sampler, when no finger is on the pad
    entry(Gesture::kCover, 8);
    EXPECT_EQ(take(), (Events{"tap Page_Down"}));
}

TEST_F(GestureActions, ScrollStepsOfOneTouchShareTheTitleOfItsFirstStep)
{
    // The sampler's touch count; Gwenview's vertical steps send no click.
    engine.ring.touches.store(7);
    entry(Gesture::kScrollYInc, 0, "Editor");
    entry(Gesture::kScrollYInc, 0, "photo.jpg - Gwenview");
    EXPECT_EQ(take(), (Events{V, "click 5", "click 5"}));

    engine.ring.touches.store(8);  // the next touch looks again
    entry(Gesture::kScrollYInc, 0, "photo.jpg - Gwenview");
    entry(Gesture::kScrollYInc, 0, "Editor");
    EXPECT_EQ(take(), Events{});

    entry(Gesture::kTapClick, 0, "Editor");  // any other entry looks again
    take();
    entry(Gesture::kScrollYInc, 0, "Editor");
    EXPECT_EQ(take(), (Events{"click 5"}));
}
