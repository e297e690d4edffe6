// The "Your gestures" page's core: what each gesture's drop-down shows for
// a binding of the gestures file, the words a choice writes, and one change
// written to the file through the gestures library's editor, so that the
// person's comments and other lines stay. A file that is there but cannot
// be read is never written.
#pragma once

#include <string>

#include "gestures_file.h"

// The drop-down's rows, in order. kAsEverywhere is only offered in an
// application's section: no line there, so [gestures] decides.
enum class GestureChoice { kDefault, kKeys, kButton, kCommand, kNothing, kAsEverywhere };
constexpr int kGestureChoiceCount = 6;
const char *gesture_choice_name(GestureChoice choice);

// The section of app ("" for [gestures]) as the file has it, or nullptr.
// Applications are named in any letter case.
const BindingSection *find_section(const GestureBindings &bindings, const std::string &app);

// The row that shows a section's binding (an application's section that
// does not bind the gesture: kAsEverywhere).
GestureChoice choice_of(const Binding &binding, bool app_section);

// The file's words for a choice and its detail (keys "Control+w", a button
// number, a command); "" for a choice that is no line in the section. For
// [gestures] "Default" is no line either: nothing bound is the combo box.
std::string choice_words(GestureChoice choice, const std::string &detail, bool app_section);

// A pressed combination in the file's words: the modifiers held, then the
// key's X keysym name ("Control+Shift+w").
struct HeldModifiers {
    bool control, alt, shift, super;
};
std::string key_combination(HeldModifiers held, const std::string &key_name);

// The gestures file as the page shows it. readable: read, or missing (then
// empty); otherwise why says why, and nothing may be written.
struct GesturesDocument {
    bool readable = false;
    bool exists = false;
    std::string why;
    std::string text;
    GestureBindings bindings;
};
GesturesDocument load_gestures(const std::string &path);

// Binds the gesture in app's section ("" for [gestures]) to words ("":
// removes the section's line), reading the file again first; the folder is
// made when missing. False, with the reason in *why, when the words are no
// action or the file could not be read or written; then the file is as it
// was.
bool write_binding(const std::string &path, const std::string &app, BoundGesture gesture,
                   const std::string &words, std::string *why);
