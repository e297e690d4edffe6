#include "action_names.h"

#include <iterator>

namespace {

const char *const kCommonNames[] = {
    "left button", "right button", "middle button",      "Alt+Right",        "Alt+Left",   "Alt+F10",
    "Alt+F9",      "nothing",      "Page Down",          "Page Up",          "wheel down", "wheel left",
    "wheel right", "wheel up",     "Control+wheel down", "Control+wheel up", "Alt+F4",     "Alt+Control+D",
};

const char *const kZoomNames[] = {
    "Page Up", "Page Down", "Control+wheel down", "Control+wheel up", "Alt+F9", "Alt+F10",
};

const char *const kRotationNames[] = {
    "Page Up", "Page Down", "Control+R", "Control+L", "Alt+F9", "Alt+F10",
};

struct Names {
    const char *const *names;
    int count;
};

Names names_of(ActionCatalogue catalogue)
{
    switch (catalogue) {
    case ActionCatalogue::kCommon: return {kCommonNames, static_cast<int>(std::size(kCommonNames))};
    case ActionCatalogue::kZoom: return {kZoomNames, static_cast<int>(std::size(kZoomNames))};
    case ActionCatalogue::kRotation: return {kRotationNames, static_cast<int>(std::size(kRotationNames))};
    }
    return {nullptr, 0};
}

}  // namespace

int action_count(ActionCatalogue catalogue) { return names_of(catalogue).count; }

const char *action_name(ActionCatalogue catalogue, int code)
{
    Names n = names_of(catalogue);
    return code >= 0 && code < n.count ? n.names[code] : nullptr;
}
