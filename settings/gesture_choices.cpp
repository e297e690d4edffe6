#include "gesture_choices.h"

#include <strings.h>

#include <cerrno>

#include "file_replace.h"
#include "gestures_edit.h"
#include "plain_file.h"

const char *gesture_choice_name(GestureChoice choice)
{
    switch (choice) {
    case GestureChoice::kDefault: return "Default";
    case GestureChoice::kKeys: return "Keys";
    case GestureChoice::kButton: return "Button";
    case GestureChoice::kCommand: return "Command";
    case GestureChoice::kNothing: return "Nothing";
    case GestureChoice::kAsEverywhere: return "As in all applications";
    }
    return "";
}

const BindingSection *find_section(const GestureBindings &bindings, const std::string &app)
{
    if (app.empty())
        return &bindings.global;
    for (const BindingSection &s : bindings.apps)
        if (strcasecmp(s.app.c_str(), app.c_str()) == 0)
            return &s;
    return nullptr;
}

GestureChoice choice_of(const Binding &binding, bool app_section)
{
    if (!binding.bound())
        return app_section ? GestureChoice::kAsEverywhere : GestureChoice::kDefault;
    switch (binding.action.kind) {
    case ActionKind::kDefault: return GestureChoice::kDefault;
    case ActionKind::kNone: return GestureChoice::kNothing;
    case ActionKind::kKeys: return GestureChoice::kKeys;
    case ActionKind::kButton: return GestureChoice::kButton;
    case ActionKind::kCommand: return GestureChoice::kCommand;
    }
    return GestureChoice::kDefault;
}

std::string choice_words(GestureChoice choice, const std::string &detail, bool app_section)
{
    switch (choice) {
    case GestureChoice::kDefault: return app_section ? "default" : "";
    case GestureChoice::kKeys: return "keys " + detail;
    case GestureChoice::kButton: return "button " + detail;
    case GestureChoice::kCommand: return "command " + detail;
    case GestureChoice::kNothing: return "none";
    case GestureChoice::kAsEverywhere: return "";
    }
    return "";
}

std::string key_combination(HeldModifiers held, const std::string &key_name)
{
    std::string words;
    for (const auto &[down, name] : {std::pair{held.control, "Control"}, std::pair{held.alt, "Alt"},
                                     std::pair{held.shift, "Shift"}, std::pair{held.super, "Super"}})
        if (down)
            words += std::string(name) + "+";
    return words + key_name;
}

GesturesDocument load_gestures(const std::string &path)
{
    GesturesDocument doc;
    int error = 0;
    if (!read_plain_file(path, &doc.text, &error, &doc.why)) {
        // No file yet binds nothing, and may be made.
        if (error == ENOENT || error == ENOTDIR) {
            doc.readable = true;
            doc.why.clear();
            doc.bindings = parse_gestures_text(path, "");
        }
        return doc;
    }
    doc.readable = doc.exists = true;
    doc.bindings = parse_gestures_text(path, doc.text);
    return doc;
}

bool write_binding(const std::string &path, const std::string &app, BoundGesture gesture,
                   const std::string &words, std::string *why)
{
    BoundAction action;
    if (!words.empty() && !parse_bound_action(words, &action, why))
        return false;
    // What is there now: the person may have edited the file meanwhile.
    const GesturesDocument doc = load_gestures(path);
    if (!doc.readable) {
        *why = path + " cannot be read (" + doc.why + "), so it is not written";
        return false;
    }
    const std::string text = words.empty() ? text_without_binding(doc.text, app, gesture)
                                           : text_with_binding(doc.text, app, gesture, words);
    if (text == doc.text)
        return true;
    const size_t slash = path.rfind('/');
    if (!doc.exists && slash != std::string::npos && slash > 0 && !make_folders(path.substr(0, slash), why))
        return false;
    return replace_file(path, text, why);
}
