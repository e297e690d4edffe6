// The gestures file: $XDG_CONFIG_HOME/vorell/gestures.conf (~/.config/vorell/
// gestures.conf without it), an INI file read with libinih:
//
//   [gestures]
//   two-finger-tap = keys Control+w
//   [app firefox]        ; the focused window's WM_CLASS, instance or class, any case
//   swipe-left = keys Alt+Left
//
// A line that cannot be used is reported as "FILE:LINE: what is wrong" and
// left out; the other lines count. A line starting with ';' or '#' is a
// comment, and so is the rest of a line from a ';' or '#' after a blank.
// Lines are at most kGesturesLineMax characters long.
//
// The engine reads it (and again after every change), vorell-config shows
// and edits it, and the settings window can do the same through this library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bound_action.h"
#include "gesture_words.h"

constexpr int kGesturesLineMax = 196;

struct Binding {
    BoundAction action;
    int line = 0;  // 0: the section does not bind the gesture
    bool bound() const { return line > 0; }
};

// A section's bindings, one place per gesture.
struct BindingSection {
    std::string app;  // "" for [gestures], else the NAME of [app NAME]
    Binding bindings[kBoundGestureCount];
    const Binding &operator[](BoundGesture g) const { return bindings[static_cast<int>(g)]; }
    Binding &operator[](BoundGesture g) { return bindings[static_cast<int>(g)]; }
};

struct GestureBindings {
    std::string path;
    BindingSection global;             // [gestures]
    std::vector<BindingSection> apps;  // one per application, in the file's order
    // "FILE:LINE: what is wrong", in the file's order.
    std::vector<std::string> problems;
    // Gestures whose binding was on a line that could not be used, by
    // section (app "" for [gestures]).
    struct Unusable {
        std::string app;
        BoundGesture gesture;
    };
    std::vector<Unusable> unusable;

    // The binding that counts in a window of that WM_CLASS instance and class
    // (either may be null or empty): the first [app] section that names one
    // of them, in any letter case, and binds the gesture; otherwise
    // [gestures]; nullptr when neither binds it (the combo box decides).
    // Also nullptr for a "default" binding.
    const Binding *find(BoundGesture g, const char *instance, const char *window_class) const;
    // Whether some [app] section binds the gesture: only then the window's
    // class matters.
    bool bound_for_some_app(BoundGesture g) const;
    int count() const;  // bindings in all sections
    BindingSection *section(const std::string &app);
};

// Reads a file's text; path is the name messages give.
GestureBindings parse_gestures_text(const std::string &path, const std::string &text);

enum class GesturesFileState {
    kRead,        // read; bindings may still hold problems
    kMissing,     // no such file (nothing bound)
    kUnreadable,  // there, but could not be read (why says why)
};

struct GesturesFileReading {
    GesturesFileState state;
    std::string why;
    GestureBindings bindings;
};

GesturesFileReading read_gestures_file(const std::string &path);

// What counts after a new reading, given what counted before (null at the
// first reading): a missing file binds nothing; an unreadable one leaves the
// earlier bindings in force; a line that could not be used leaves that
// gesture's earlier binding in its section in force.
std::shared_ptr<const GestureBindings> bindings_after_reading(
    const std::shared_ptr<const GestureBindings> &before, const GesturesFileReading &reading);

// The file's place from the environment's values (either may be null or
// empty): XDG_CONFIG_HOME/vorell/gestures.conf, or HOME/.config/vorell/...
std::string gestures_file_path(const char *xdg_config_home, const char *home);

// The name of a section: "gestures" or "app NAME" (app "" for the first).
std::string section_title(const std::string &app);
