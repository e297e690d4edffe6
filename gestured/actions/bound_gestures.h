// The gestures file's bindings on the action thread: which binding an action
// queue entry uses (an [app] section of the focused window's WM_CLASS before
// [gestures], else the engine's own action), and carrying a binding out.
//
// Only the entries of the gestures a person can bind are looked at: the
// scroll steps, the drag lock's entries, the window-switching steps and the
// button releases never are, and cost nothing here. The window's class is
// asked for only when some [app] section binds the gesture.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine_state.h"
#include "gestures_file.h"
#include "platform.h"

// The bindings in force: installed by the thread that reads the file, taken
// by the action thread for each entry it may bind.
class BindingsInForce {
public:
    void install(std::shared_ptr<const GestureBindings> bindings);
    std::shared_ptr<const GestureBindings> current() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const GestureBindings> bindings_;
};

// The gesture of the file that an action code is, if any.
bool bound_gesture_of(Gesture code, BoundGesture *out);

struct BindingUse {
    bool bindable = false;  // the entry is a gesture of the file
    BoundGesture gesture = BoundGesture::kTwoFingerTap;
    std::shared_ptr<const GestureBindings> from;  // keeps binding alive
    const Binding *binding = nullptr;             // null: the engine's own action
    const char *app = nullptr;                    // the section's application, null for [gestures]

    bool bound() const { return binding != nullptr; }
};

BindingUse binding_for(const EnginePlatform &platform, Gesture code);

// Which binding a bindable entry uses, or that its combo box (with arg, the
// block's value) or the engine's fixed action decides, in words:
// "two-finger-tap = keys Control+w (PATH:3)",
// "[app Firefox] two-finger-tap = ...", "cover: combo box CovergestureComboBox
// 9 (Page Up)", "swipe-left: built in, back (Alt+Left)".
std::string binding_use_words(const BindingUse &use, int32_t arg);

// Tells platform.note_binding (when set) binding_use_words of a bindable entry.
void note_binding_use(const EnginePlatform &platform, const BindingUse &use, int32_t arg);

// How a bound action meets the gesture: a tap, a step or a cover happens at
// once (keys pressed and released, a button clicked); a physical button is
// held (keys and button stay down until release_bound_input, which the next
// entry, normally the button's release, calls first).
enum class BoundStyle { kAtOnce, kHeld };

// Carries out use's binding. A command runs in the background, through the
// engine's command runner: the next gesture never waits for it.
void run_binding(const EnginePlatform &platform, const BindingUse &use, BoundStyle style);

// Lets go of what a held binding pressed: the button, then the keys in
// reverse order. Nothing when nothing is held.
void release_bound_input(const EnginePlatform &platform);

// Forgets what a held binding pressed, without sending anything (thread
// start).
void forget_bound_input();

// The shell line that starts a bound command in the background.
std::string background_command_line(const std::string &command);
