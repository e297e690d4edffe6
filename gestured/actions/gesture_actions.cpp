#include "gesture_actions.h"

#include <atomic>
#include <cstring>

#include "action_commands.h"
#include "bound_gestures.h"
#include "engine_state.h"
#include "platform.h"
#include "selectable_actions.h"

HotkeyState hotkey_state;

namespace {

// True from a window-switching begin that a binding took until the end of
// that touch's switching: then no switching was begun, and its steps and its
// end do nothing. Action thread only.
bool switching_taken_by_binding = false;

}  // namespace

namespace {

// The applications whose actions differ, by a part of their window's title.
constexpr char kPdfViewerTitle[] = "Adobe Reader";
constexpr char kBrowserTitle[] = "Web Browser";
constexpr char kGwenviewTitle[] = "Gwenview";  // photo viewer
constexpr char kFSpotTitle[] = "F-Spot";       // photo viewer
constexpr char kOfficeTitle[] = "OpenOffice";
constexpr char kSettingsPanelTitle[] = "Glyde-Pad";

// The title of the focused window for the entry being carried out.
struct Title {
    char text[kTitleMax];
    bool present;

    bool has(const char *name) const { return present && strstr(text, name) != nullptr; }
};

void run(const EnginePlatform &platform, const char *command) { platform.run(command); }

// Set by a scroll step that arms auto-scroll, during the entry being carried
// out.
bool entry_armed_scroll = false;

bool is_scroll_step(Gesture code) { return code >= Gesture::kScrollYDec && code <= Gesture::kScrollXInc; }

// The title a touch's scroll steps share: looked up by the first step of
// each touch (the sampler's touch count) and again after any other entry.
// A step's wheel click moves no focus, and the steps come many a second,
// each one an X round trip or more otherwise. Without a touch count (0: no
// sampler has seen a finger) every entry looks the title up.
struct StepTitle {
    uint32_t touch = 0;
    Title title{};
};
StepTitle step_title;  // hotkey_event_thread only

Title focused_title(const EnginePlatform &platform, const EngineShared &engine, Gesture code)
{
    const uint32_t touch = engine.ring.touches.load();
    const bool shared = is_scroll_step(code) && touch != 0;
    if (shared && step_title.touch == touch)
        return step_title.title;
    Title title;
    title.present = platform.title(title.text, kTitleMax) >= 0;
    if (!title.present)
        title.text[0] = 0;
    step_title.touch = shared ? touch : 0;
    if (shared)
        step_title.title = title;
    return title;
}

// ---- pointer shapes -------------------------------------------------------

enum CursorId {
    kVScrollCursor,
    kHScrollCursor,
    kZoomOutCursor,
    kZoomInCursor,
    kRightRotateCursor,
    kLeftRotateCursor,
    kCursorCount
};

// The images, in the order of kCursorShownFlags.
const char *const kCursorCommands[kCursorCount] = {
    VORELL_CURSOR_COMMAND("V_Scroll.xbm"),     VORELL_CURSOR_COMMAND("H_Scroll.xbm"),
    VORELL_CURSOR_COMMAND("Zoom_Out.xbm"),     VORELL_CURSOR_COMMAND("Zoom_In.xbm"),
    VORELL_CURSOR_COMMAND("Right_Rotate.xbm"), VORELL_CURSOR_COMMAND("Left_Rotate.xbm"),
};

std::atomic<int32_t> &cursor_shown(EngineShared &engine, int id)
{
    return engine.latches.*kCursorShownFlags[id];
}

// The image goes up once per gesture kind; later steps of the same kind run
// nothing.
void show_cursor(const EnginePlatform &platform, EngineShared &engine, CursorId id)
{
    if (cursor_shown(engine, id).load() != 0)
        return;
    platform.run_in_order(kCursorCommands[id]);
    for (int i = 0; i < kCursorCount; ++i)
        cursor_shown(engine, i).store(i == id ? 1 : 0);
}

// ---- the PDF viewer's command sequences -----------------------------------

void xte(const EnginePlatform &platform, XteLine line) { run(platform, platform.xte(line)); }

void pdf_arrow(const EnginePlatform &platform, bool right)
{
    xte(platform, XteLine::kKeyEscape);
    xte(platform, right ? XteLine::kKeydownRight : XteLine::kKeydownLeft);
    xte(platform, right ? XteLine::kKeyupRight : XteLine::kKeyupLeft);
}

void pdf_wheel(const EnginePlatform &platform, int button)
{
    xte(platform, XteLine::kKeydownControl);
    xte(platform, button == 5 ? XteLine::kWheel5 : XteLine::kWheel4);
    xte(platform, XteLine::kKeyupControl);
}

void pdf_page(const EnginePlatform &platform, bool right)
{
    xte(platform, XteLine::kKeyEscape);
    xte(platform, XteLine::kKeydownControl);
    xte(platform, right ? XteLine::kKeydownRight : XteLine::kKeydownLeft);
    xte(platform, right ? XteLine::kKeyupRight : XteLine::kKeyupLeft);
    xte(platform, XteLine::kKeyupControl);
}

void control_text(const EnginePlatform &platform, const char *text)
{
    press_key(platform, "Control_L");
    type_text(platform, text);
    release_key(platform, "Control_L");
}

// ---- application action (buttons, taps, cover) ----------------------------

void application_action(const EnginePlatform &platform, const Title &title, int32_t a)
{
    const CommonAction action = static_cast<CommonAction>(a);
    if (title.has(kPdfViewerTitle)) {
        if (action == CommonAction::kWheelLeft || action == CommonAction::kWheelRight) {
            pdf_arrow(platform, action == CommonAction::kWheelRight);
            return;
        }
        if (action == CommonAction::kControlWheelDown || action == CommonAction::kControlWheelUp) {
            pdf_wheel(platform, action == CommonAction::kControlWheelDown ? 5 : 4);
            return;
        }
    } else if (title.has(kBrowserTitle)) {
        if (action == CommonAction::kControlWheelDown) {
            control_text(platform, "-");
            return;
        }
        if (action == CommonAction::kControlWheelUp) {
            control_text(platform, "+");
            return;
        }
    }
    run_common_action(platform, a);
}

// ---- browser zoom limiter -------------------------------------------------

void browser_zoom_step(const EnginePlatform &platform, bool zoom_in)
{
    int32_t &steps = zoom_in ? hotkey_state.zoom_in_steps : hotkey_state.zoom_out_steps;
    steps += 1;
    if (steps <= 2)
        return;
    if (platform.now() - hotkey_state.last_browser_zoom_ms < 950)
        return;
    control_text(platform, zoom_in ? "+" : "-");
    hotkey_state.last_browser_zoom_ms = platform.now();
    hotkey_state.zoom_in_steps = 0;
    hotkey_state.zoom_out_steps = 0;
}

// ---- per code ---------------------------------------------------------------

// Runs the entry's binding, all at once, when it has one; true when it did,
// and the entry is carried out.
bool ran_binding(const EnginePlatform &platform, const BindingUse &use)
{
    if (!use.bound())
        return false;
    run_binding(platform, use, BoundStyle::kAtOnce);
    return true;
}

bool either_latch(EngineShared &engine)
{
    return engine.latches.cover_gesture_latch.load() == 1 || engine.latches.swipe_latch.load() == 1;
}

// A scroll step that arms auto-scroll in its direction: the opposite
// direction's flag down, then this one's up, then scroll_active.
void arm_auto_scroll(AutoScrollWords &scroll, std::atomic<int32_t> &direction, std::atomic<int32_t> &opposite)
{
    opposite.store(0);
    direction.store(1);
    entry_armed_scroll = true;
    scroll.scroll_active.store(1);
}

void vertical_scroll(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code)
{
    if (either_latch(engine))
        return;
    show_cursor(platform, engine, kVScrollCursor);
    const int button = code == Gesture::kScrollYDec ? 4 : 5;
    if (title.has(kGwenviewTitle))
        return;
    click_button(platform, button);
    if (title.has(kFSpotTitle))
        return;
    AutoScrollWords &s = engine.scroll;
    if (code == Gesture::kScrollYDec)
        arm_auto_scroll(s, s.scroll_up_active, s.scroll_down_active);
    else
        arm_auto_scroll(s, s.scroll_down_active, s.scroll_up_active);
}

void horizontal_scroll(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code)
{
    if (either_latch(engine))
        return;
    show_cursor(platform, engine, kHScrollCursor);
    const bool toward_left = code == Gesture::kScrollXDec;
    if (title.has(kGwenviewTitle))
        return;
    if (title.has(kFSpotTitle)) {
        click_button(platform, toward_left ? 6 : 7);
        return;
    }
    if (title.has(kPdfViewerTitle)) {
        engine.scroll.scroll_left_by_key.store(toward_left ? 1 : 0);
        engine.scroll.scroll_right_by_key.store(toward_left ? 0 : 1);
        pdf_arrow(platform, !toward_left);
    } else {
        click_button(platform, toward_left ? 6 : 7);
    }
    AutoScrollWords &s = engine.scroll;
    if (toward_left)
        arm_auto_scroll(s, s.scroll_left_active, s.scroll_right_active);
    else
        arm_auto_scroll(s, s.scroll_right_active, s.scroll_left_active);
}

void zoom(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code, int32_t a,
          const BindingUse &use)
{
    if (either_latch(engine))
        return;
    show_cursor(platform, engine, code == Gesture::kZoomOut ? kZoomOutCursor : kZoomInCursor);
    if (ran_binding(platform, use))
        return;
    const ZoomAction action = static_cast<ZoomAction>(a);
    const bool control_wheel =
        action == ZoomAction::kControlWheelDown || action == ZoomAction::kControlWheelUp;
    if (title.has(kPdfViewerTitle)) {
        if (control_wheel) {
            pdf_wheel(platform, action == ZoomAction::kControlWheelDown ? 5 : 4);
            return;
        }
    } else if (title.has(kBrowserTitle)) {
        if (control_wheel) {
            browser_zoom_step(platform, action == ZoomAction::kControlWheelUp);
            return;
        }
    }
    run_zoom_action(platform, a);
}

void rotate(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code, int32_t a,
            const BindingUse &use)
{
    if (engine.latches.cover_gesture_latch.load() == 1)
        return;
    show_cursor(platform, engine, code == Gesture::kRotateCW ? kRightRotateCursor : kLeftRotateCursor);
    if (ran_binding(platform, use))
        return;
    const RotateAction action = static_cast<RotateAction>(a);
    const bool control_letter = action == RotateAction::kControlR || action == RotateAction::kControlL;
    const bool right = action == RotateAction::kControlR;
    if (title.has(kPdfViewerTitle)) {
        if (control_letter) {
            press_key(platform, "Control_L");
            press_key(platform, "Shift_L");
            type_text(platform, right ? "+" : "_");
            release_key(platform, "Shift_L");
            release_key(platform, "Control_L");
            return;
        }
    } else if (title.has(kFSpotTitle)) {
        if (control_letter) {
            type_text(platform, right ? "]" : "[");
            return;
        }
    } else if (title.has(kOfficeTitle)) {
        if (control_letter)
            return;
    }
    run_rotate_action(platform, a);
}

void swipe(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code,
           const BindingUse &use)
{
    if (engine.latches.cover_gesture_latch.load() == 1)
        return;
    engine.latches.swipe_latch.store(1);
    if (ran_binding(platform, use))
        return;
    const bool toward_right = code == Gesture::kSwipeXInc;
    if (title.has(kGwenviewTitle)) {
        click_button(platform, toward_right ? 7 : 6);
    } else if (title.has(kOfficeTitle)) {
        key_chord(platform, "Control_L", toward_right ? "Page_Down" : "Page_Up");
    } else if (title.has(kPdfViewerTitle)) {
        pdf_page(platform, toward_right);
    } else {
        key_chord(platform, "Alt_L", toward_right ? "Right" : "Left");
    }
}

// A step of window switching: the first holds Alt_L down (until
// Gesture::kSwitchWindowsEnd) and steps on with Tab, a later one steps on with
// Tab, or back with Shift_L+Tab.
void switch_windows_step(const EnginePlatform &platform, Gesture code)
{
    if (code == Gesture::kSwitchWindowsBegin)
        press_key(platform, "Alt_L");
    const bool back = code == Gesture::kSwitchWindowsPrev;
    if (back)
        press_key(platform, "Shift_L");
    press_key(platform, "Tab");
    release_key(platform, "Tab");
    if (back)
        release_key(platform, "Shift_L");
}

// The entry's binding when it has one, else the application action of its
// combo box's code.
void chosen_action(const EnginePlatform &platform, const Title &title, int32_t a, const BindingUse &use,
                   BoundStyle style)
{
    if (use.bound())
        run_binding(platform, use, style);
    else
        application_action(platform, title, a);
}

void switching_begin(const EnginePlatform &platform, const BindingUse &use)
{
    switching_taken_by_binding = ran_binding(platform, use);
    if (!switching_taken_by_binding)
        switch_windows_step(platform, Gesture::kSwitchWindowsBegin);
}

void by_code(const EnginePlatform &platform, EngineShared &engine, const Title &title, Gesture code,
             int32_t a, const BindingUse &use)
{
    switch (code) {
    case Gesture::kButtonLeft:
    case Gesture::kButtonMiddle:
    case Gesture::kButtonRight:
        // The pressed button (or what its binding pressed) stays down until
        // the next entry's release step, normally this button's
        // Gesture::kButtonRelease.
        hold_gesture = 1;
        chosen_action(platform, title, a, use, BoundStyle::kHeld);
        break;
    case Gesture::kTapTwo:
    case Gesture::kTapThree:
        chosen_action(platform, title, a, use, BoundStyle::kAtOnce);
        release_held_button(platform);
        break;
    case Gesture::kCover:
        if (engine.latches.cover_gesture_latch.load() == 1)
            break;
        engine.latches.cover_gesture_latch.store(1);
        chosen_action(platform, title, a, use, BoundStyle::kAtOnce);
        release_held_button(platform);
        break;
    case Gesture::kScrollYDec:
    case Gesture::kScrollYInc: vertical_scroll(platform, engine, title, code); break;
    case Gesture::kScrollXDec:
    case Gesture::kScrollXInc: horizontal_scroll(platform, engine, title, code); break;
    case Gesture::kZoomOut:
    case Gesture::kZoomIn: zoom(platform, engine, title, code, a, use); break;
    case Gesture::kRotateCW:
    case Gesture::kRotateCCW: rotate(platform, engine, title, code, a, use); break;
    case Gesture::kSwipeXDec:
    case Gesture::kSwipeXInc: swipe(platform, engine, title, code, use); break;
    case Gesture::kMyHome:
        if (engine.latches.cover_gesture_latch.load() == 1)
            break;
        if (!ran_binding(platform, use))
            run(platform, platform.home_command());
        break;
    case Gesture::kSwitchWindowsBegin:
        switching_taken_by_binding = false;
        if (engine.latches.cover_gesture_latch.load() != 1)
            switching_begin(platform, use);
        break;
    case Gesture::kSwitchWindowsPrev:
    case Gesture::kSwitchWindowsNext:
        if (engine.latches.cover_gesture_latch.load() != 1 && !switching_taken_by_binding)
            switch_windows_step(platform, code);
        break;
    case Gesture::kSwitchWindowsEnd:
        // Never silenced by a latch: it only lets go of the Alt_L that
        // Gesture::kSwitchWindowsBegin left down.
        if (!switching_taken_by_binding)
            release_key(platform, "Alt_L");
        switching_taken_by_binding = false;
        break;
    case Gesture::kTapClick:
        if (engine.drag.drag_timeout_off.load() == 1)
            break;
        if (hotkey_state.tap_button1_off == 1)
            click_button(platform, 1);
        else
            run(platform, kTapOnCommand);
        break;
    case Gesture::kDragRelease:
        platform.send(nullptr, 1, InputKind::kButtonRelease);
        run(platform, kTapOnCommand);
        hotkey_state.tap_button1_off = 0;
        break;
    case Gesture::kDragPress:
        platform.send(nullptr, 1, InputKind::kButtonPress);
        run(platform, kTapOffCommand);
        hotkey_state.tap_button1_off = 1;
        break;
    case Gesture::kButtonRelease:
        // Every entry lets go of a held button before it is carried out:
        // nothing more to do.
        break;
    }
}

// The code as the block holds it, with the codes of the two actions
// exchanged.
template <typename Action>
int32_t swapped(int32_t code, Action one, Action other)
{
    if (code == static_cast<int32_t>(one))
        return static_cast<int32_t>(other);
    if (code == static_cast<int32_t>(other))
        return static_cast<int32_t>(one);
    return code;
}

bool is_selectable(Gesture code)
{
    return (code >= Gesture::kButtonLeft && code <= Gesture::kTapThree) || code == Gesture::kCover;
}

void carry_out(const EnginePlatform &platform, EngineShared &engine, Gesture code, int32_t arg);

}  // namespace

void hotkey_clear_latches(EngineShared &engine)
{
    engine.latches.cover_gesture_latch.store(0);
    engine.latches.swipe_latch.store(0);
    left_button_held = 0;
    middle_button_held = 0;
    right_button_held = 0;
    forget_bound_input();
    switching_taken_by_binding = false;
}

void hotkey_clear_scroll_and_zoom(EngineShared &engine, int64_t now_ms)
{
    engine.scroll.clear_scroll_directions();
    hotkey_state.last_browser_zoom_ms = now_ms;
    hotkey_state.zoom_in_steps = 0;
    hotkey_state.zoom_out_steps = 0;
    hotkey_state.tap_button1_off = 0;
}

void carry_out_action(const EnginePlatform &platform, EngineShared &engine, Gesture code, int32_t arg)
{
    // scroll_active tells whether the last entry carried out was a scroll
    // step that arms auto-scroll. A scroll step leaves it as it stands while
    // it runs and settles it at its end: on a machine where the action
    // thread is always inside an entry during a flick, clearing it first
    // would hide every finished step from the recogniser's flick test.
    entry_armed_scroll = false;
    if (!is_scroll_step(code))
        engine.scroll.scroll_active.store(0);
    carry_out(platform, engine, code, arg);
    if (is_scroll_step(code) && !entry_armed_scroll)
        engine.scroll.scroll_active.store(0);
}

void carry_out_next_action(const EnginePlatform &platform, EngineShared &engine,
                           void (*trace)(Gesture code, int32_t arg))
{
    ActionEntry entry;
    engine.queue.dequeue(&entry);
    if (trace)
        trace(entry.code, entry.arg);
    carry_out_action(platform, engine, entry.code, entry.arg);
    engine.queue.entries_done.fetch_add(1);
}

namespace {

void carry_out(const EnginePlatform &platform, EngineShared &engine, Gesture code, int32_t arg)
{
    int32_t a = arg;

    const Title title = focused_title(platform, engine, code);

    release_held_button(platform);
    release_bound_input(platform);
    const BindingUse use = binding_for(platform, code);
    note_binding_use(platform, use, arg);

    if (title.present) {
        if (title.has(kSettingsPanelTitle) && !use.bound()) {
            // The settings panel swaps the two control-wheel actions, and the
            // two control-wheel zoom actions.
            if (is_selectable(code))
                a = swapped(a, CommonAction::kControlWheelDown, CommonAction::kControlWheelUp);
            else if (code == Gesture::kZoomOut || code == Gesture::kZoomIn)
                a = swapped(a, ZoomAction::kControlWheelDown, ZoomAction::kControlWheelUp);
        }
        if (!title.has(kPdfViewerTitle)) {
            engine.scroll.scroll_left_by_key.store(0);
            engine.scroll.scroll_right_by_key.store(0);
        }
    }

    hold_gesture = 0;

    // Typing gate: while a key is held only the "Alt+Control+D" action of a
    // button, tap or cover entry's combo box runs (no binding). What ends
    // something held earlier (the window-switching Alt_L, the drag's button
    // 1) is never held back.
    if (engine.settings.DetectGestureIntr.load() != 0) {
        const int32_t alt_control_d = static_cast<int32_t>(CommonAction::kAltControlD);
        if (engine.settings.DetectCovergestureIntr.load() == 0 && is_selectable(code) && a == alt_control_d &&
            !use.bound())
            run_common_action(platform, alt_control_d);
        else if (code == Gesture::kSwitchWindowsEnd || code == Gesture::kDragRelease)
            by_code(platform, engine, title, code, a, use);
        return;
    }
    by_code(platform, engine, title, code, a, use);
}

}  // namespace
