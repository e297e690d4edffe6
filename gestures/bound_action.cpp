#include "bound_action.h"

#include <strings.h>

#include <X11/Xlib.h>

#include <cctype>
#include <cstdlib>

namespace {

struct Alias {
    const char *word;
    const char *keysym;
};

// The names people write for the modifiers: the left-hand key of each.
const Alias kModifierAliases[] = {
    {"Control", "Control_L"}, {"Ctrl", "Control_L"}, {"Alt", "Alt_L"},
    {"Shift", "Shift_L"},     {"Super", "Super_L"},  {"Meta", "Meta_L"},
};

std::string trimmed(const std::string &s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && isspace(static_cast<unsigned char>(s[begin])))
        ++begin;
    while (end > begin && isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    return s.substr(begin, end - begin);
}

bool resolve_key(const std::string &name, std::string *keysym, std::string *why)
{
    for (const Alias &a : kModifierAliases) {
        if (strcasecmp(a.word, name.c_str()) == 0) {
            *keysym = a.keysym;
            return true;
        }
    }
    if (name.size() < 64 && XStringToKeysym(name.c_str()) != NoSymbol) {
        *keysym = name;
        return true;
    }
    *why = "no key is called '" + name +
           "' (key names are X keysym names, such as Control, Alt, Shift, Super, Return, Left, F5, w)";
    return false;
}

bool parse_keys(const std::string &rest, BoundAction *out, std::string *why)
{
    const char kHow[] = "keys needs key names joined by '+', as in keys Control+w";
    if (rest.empty()) {
        *why = kHow;
        return false;
    }
    size_t from = 0;
    for (;;) {
        const size_t plus = rest.find('+', from);
        const std::string name = trimmed(rest.substr(from, plus == std::string::npos ? plus : plus - from));
        if (name.empty() || name.find_first_of(" \t") != std::string::npos) {
            *why = kHow;
            return false;
        }
        std::string keysym;
        if (!resolve_key(name, &keysym, why))
            return false;
        out->keys.push_back(keysym);
        if (plus == std::string::npos)
            break;
        from = plus + 1;
    }
    if (static_cast<int>(out->keys.size()) > kBoundKeysMax) {
        *why = "keys presses at most " + std::to_string(kBoundKeysMax) + " keys together";
        return false;
    }
    return true;
}

bool parse_button(const std::string &rest, BoundAction *out, std::string *why)
{
    bool digits = !rest.empty() && rest.size() <= 3;
    for (char c : rest)
        digits = digits && isdigit(static_cast<unsigned char>(c));
    const int n = digits ? atoi(rest.c_str()) : 0;
    if (n < 1 || n > kBoundButtonMax) {
        *why = "button needs a button number from 1 to " + std::to_string(kBoundButtonMax) + ", as in button 2";
        return false;
    }
    out->button = n;
    return true;
}

}  // namespace

bool parse_bound_action(const std::string &text, BoundAction *out, std::string *why)
{
    *out = BoundAction{};
    out->text = trimmed(text);
    const std::string &t = out->text;
    const size_t blank = t.find_first_of(" \t");
    const std::string word = t.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : trimmed(t.substr(blank));
    const bool alone = rest.empty();
    if (strcasecmp(word.c_str(), "default") == 0 && alone) {
        out->kind = ActionKind::kDefault;
        return true;
    }
    if (strcasecmp(word.c_str(), "none") == 0 && alone) {
        out->kind = ActionKind::kNone;
        return true;
    }
    if (strcasecmp(word.c_str(), "keys") == 0) {
        out->kind = ActionKind::kKeys;
        return parse_keys(rest, out, why);
    }
    if (strcasecmp(word.c_str(), "button") == 0) {
        out->kind = ActionKind::kButton;
        return parse_button(rest, out, why);
    }
    if (strcasecmp(word.c_str(), "command") == 0) {
        out->kind = ActionKind::kCommand;
        out->command = rest;
        if (rest.empty()) {
            *why = "command needs the command to run, as in command xdg-open ~";
            return false;
        }
        return true;
    }
    *why = t.empty() ? std::string("no action: write keys, button, command, none or default")
                     : "'" + t + "' is no action: write keys, button, command, none or default";
    return false;
}
