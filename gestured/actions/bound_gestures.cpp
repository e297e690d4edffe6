#include "bound_gestures.h"

#include <cstdio>
#include <string>

#include "action_names.h"
#include "selectable_actions.h"

namespace {

constexpr int kClassMax = 256;

// What a held binding pressed, kept with the bindings it came from (a new
// reading of the file may replace them meanwhile). Action thread only.
struct HeldBinding {
    std::shared_ptr<const GestureBindings> from;
    const BoundAction *action = nullptr;
};
HeldBinding held;

void press_keys(const EnginePlatform &platform, const BoundAction &action)
{
    for (const std::string &key : action.keys)
        press_key(platform, key.c_str());
}

void release_keys(const EnginePlatform &platform, const BoundAction &action)
{
    for (auto key = action.keys.rbegin(); key != action.keys.rend(); ++key)
        release_key(platform, key->c_str());
}

}  // namespace

void BindingsInForce::install(std::shared_ptr<const GestureBindings> bindings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    bindings_ = std::move(bindings);
}

std::shared_ptr<const GestureBindings> BindingsInForce::current() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bindings_;
}

bool bound_gesture_of(Gesture code, BoundGesture *out)
{
    switch (code) {
    case Gesture::kTapTwo: *out = BoundGesture::kTwoFingerTap; return true;
    case Gesture::kTapThree: *out = BoundGesture::kThreeFingerTap; return true;
    case Gesture::kZoomOut: *out = BoundGesture::kPinchIn; return true;
    case Gesture::kZoomIn: *out = BoundGesture::kPinchOut; return true;
    case Gesture::kRotateCCW: *out = BoundGesture::kRotateLeft; return true;
    case Gesture::kRotateCW: *out = BoundGesture::kRotateRight; return true;
    case Gesture::kSwipeXDec: *out = BoundGesture::kSwipeLeft; return true;
    case Gesture::kSwipeXInc: *out = BoundGesture::kSwipeRight; return true;
    case Gesture::kMyHome: *out = BoundGesture::kThreeFingerUp; return true;
    case Gesture::kSwitchWindowsBegin: *out = BoundGesture::kThreeFingerDown; return true;
    case Gesture::kCover: *out = BoundGesture::kCover; return true;
    case Gesture::kButtonLeft: *out = BoundGesture::kLeftButton; return true;
    case Gesture::kButtonMiddle: *out = BoundGesture::kMiddleButton; return true;
    case Gesture::kButtonRight: *out = BoundGesture::kRightButton; return true;
    // Scrolling, the drag lock and the steps of window switching keep the
    // engine's own semantics; a button's release lets go of its press.
    case Gesture::kScrollYDec:
    case Gesture::kScrollYInc:
    case Gesture::kScrollXDec:
    case Gesture::kScrollXInc:
    case Gesture::kSwitchWindowsPrev:
    case Gesture::kSwitchWindowsNext:
    case Gesture::kSwitchWindowsEnd:
    case Gesture::kTapClick:
    case Gesture::kDragRelease:
    case Gesture::kDragPress:
    case Gesture::kButtonRelease: break;
    }
    return false;
}

BindingUse binding_for(const EnginePlatform &platform, Gesture code)
{
    BindingUse use;
    use.bindable = bound_gesture_of(code, &use.gesture);
    if (!use.bindable || !platform.bindings)
        return use;
    use.from = platform.bindings->current();
    if (!use.from)
        return use;
    char instance[kClassMax] = "";
    char window_class[kClassMax] = "";
    if (use.from->bound_for_some_app(use.gesture) && platform.focus_class &&
        !platform.focus_class(platform.ctx, instance, window_class, kClassMax)) {
        instance[0] = 0;
        window_class[0] = 0;
    }
    use.binding = use.from->find(use.gesture, instance, window_class);
    if (use.binding && use.binding != &use.from->global[use.gesture]) {
        for (const BindingSection &s : use.from->apps)
            if (&s[use.gesture] == use.binding)
                use.app = s.app.c_str();
    }
    return use;
}

std::string binding_use_words(const BindingUse &use, int32_t arg)
{
    const BoundGestureInfo &info = bound_gesture_info(use.gesture);
    std::string text = info.word;
    if (use.bound()) {
        if (use.app)
            text = std::string("[app ") + use.app + "] " + info.word;
        text += " = " + use.binding->action.text + " (" + use.from->path + ":" +
                std::to_string(use.binding->line) + ")";
    } else if (info.combo_box) {
        const char *name = action_name(info.catalogue, arg);
        text += ": combo box " + std::string(info.combo_box) + " " + std::to_string(arg) + " (" +
                (name ? name : "no action") + ")";
    } else {
        text += std::string(": built in, ") + info.fixed_action;
    }
    return text;
}

void note_binding_use(const EnginePlatform &platform, const BindingUse &use, int32_t arg)
{
    if (platform.note_binding && use.bindable)
        platform.note_binding(platform.ctx, binding_use_words(use, arg).c_str());
}

std::string background_command_line(const std::string &command) { return "( " + command + " ) &"; }

void run_binding(const EnginePlatform &platform, const BindingUse &use, BoundStyle style)
{
    const BoundAction &action = use.binding->action;
    switch (action.kind) {
    case ActionKind::kDefault:  // find() never gives one
    case ActionKind::kNone: break;
    case ActionKind::kKeys:
        press_keys(platform, action);
        if (style == BoundStyle::kHeld)
            held = {use.from, &action};
        else
            release_keys(platform, action);
        break;
    case ActionKind::kButton:
        if (style == BoundStyle::kHeld) {
            platform.send(nullptr, action.button, InputKind::kButtonPress);
            held = {use.from, &action};
        } else {
            click_button(platform, action.button);
        }
        break;
    case ActionKind::kCommand: platform.run(background_command_line(action.command).c_str()); break;
    }
}

void release_bound_input(const EnginePlatform &platform)
{
    if (!held.action)
        return;
    if (held.action->kind == ActionKind::kButton)
        platform.send(nullptr, held.action->button, InputKind::kButtonRelease);
    else
        release_keys(platform, *held.action);
    held = {};
}

void forget_bound_input() { held = {}; }
