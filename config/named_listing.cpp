#include "named_listing.h"

#include <cmath>
#include <cstdio>

#include "setting_values.h"
#include "settings_layout.h"

namespace {

std::string number(double value, int digits)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

std::string shown_text(const void *block, const SettingEntry &e)
{
    const double v = shown_value(block, e);
    switch (e.kind) {
    case ControlKind::kCheck: return v != 0 ? "on" : "off";
    case ControlKind::kReleaseStyle: return v != 0 ? "yes" : "no";
    case ControlKind::kSlider: return number(v, e.look.digits) + e.look.unit;
    case ControlKind::kChoice: {
        const char *name = choice_name(e.choices, static_cast<int>(std::lround(v)));
        return name ? name : "no action";
    }
    }
    return "";
}

// The stored value, as NAME=VALUE would give it.
std::string stored_text(const void *block, const SettingEntry &e)
{
    const double shown = shown_value(block, e);
    char text[64];
    snprintf(text, sizeof text, "%g", e.kind == ControlKind::kSlider ? shown / e.look.factor : shown);
    return text;
}

// A switch of the gesture that is 0, or nullptr.
const char *switched_off_by(const BoundGestureInfo &info, const void *block)
{
    for (const char *name : info.switches) {
        const SettingEntry *e = name ? find_setting(name) : nullptr;
        if (e && shown_value(block, *e) == 0)
            return name;
    }
    return nullptr;
}

// What the gesture does without a binding.
std::string own_action(const BoundGestureInfo &info, const void *block)
{
    if (!info.combo_box)
        return std::string(info.fixed_action) + ", built in";
    if (!block)
        return std::string("combo box ") + info.combo_box;
    const int code = static_cast<int>(std::lround(shown_value(block, *find_setting(info.combo_box))));
    const char *name = action_name(info.catalogue, code);
    return std::string(name ? name : "no action") + " (combo box " + std::to_string(code) + ")";
}

std::string bound_text(const Binding &b, const BoundGestureInfo &info, const void *block)
{
    if (b.action.kind == ActionKind::kDefault)
        return "default: " + own_action(info, block) + " (line " + std::to_string(b.line) + ")";
    return b.action.text + " (line " + std::to_string(b.line) + ")";
}

}  // namespace

std::string settings_listing(const void *block)
{
    std::string out;
    for (int g = 0; g < kSettingGroupCount; ++g) {
        const auto group = static_cast<SettingGroup>(g);
        out += std::string(group_title(group)) + "\n";
        for (int i = 0; i < kSettingEntryCount; ++i) {
            const SettingEntry &e = kSettingEntries[i];
            if (e.group == group)
                out += std::string("  ") + e.label + ": " + shown_text(block, e) + " (" + e.parameter + " " +
                       stored_text(block, e) + ")\n";
        }
    }
    return out;
}

std::string gestures_listing(const GestureBindings *bindings, const std::string &path, const void *block)
{
    std::string out = "Gestures (" + (bindings ? path : "no " + path) + ")\n";
    for (int i = 0; i < kBoundGestureCount; ++i) {
        const BoundGesture g = bound_gesture_at(i);
        const BoundGestureInfo &info = bound_gesture_info(g);
        const Binding *b = bindings && bindings->global[g].bound() ? &bindings->global[g] : nullptr;
        out += std::string("  ") + info.name + ": " +
               (b ? bound_text(*b, info, block) : own_action(info, block));
        const char *off = block ? switched_off_by(info, block) : nullptr;
        if (off)
            out += std::string(", switched off (") + off + " 0)";
        out += "\n";
    }
    if (!bindings)
        return out;
    for (const BindingSection &s : bindings->apps) {
        out += "[app " + s.app + "]\n";
        for (int i = 0; i < kBoundGestureCount; ++i) {
            const BoundGesture g = bound_gesture_at(i);
            if (s[g].bound())
                out += std::string("  ") + bound_gesture_info(g).name + ": " +
                       bound_text(s[g], bound_gesture_info(g), block) + "\n";
        }
    }
    return out;
}
