// What a binding of the gestures file does: the action's words as the file
// writes them ("keys Control+w", "button 2", "command xdg-open ~", "none",
// "default"), read into what the engine carries out.
#pragma once

#include <string>
#include <vector>

enum class ActionKind {
    kDefault,  // the block's combo box (or the engine's fixed action) decides
    kNone,     // nothing at all
    kKeys,     // keys pressed in order and released in reverse
    kButton,   // a pointer button
    kCommand,  // a shell command, started in the background
};

// The most keys one binding presses together, and the buttons it may name
// (the X core buttons the engine's clean-up knows).
constexpr int kBoundKeysMax = 8;
constexpr int kBoundButtonMax = 32;

struct BoundAction {
    ActionKind kind = ActionKind::kDefault;
    std::vector<std::string> keys;  // X keysym names, in press order ("Control_L", "w")
    int button = 0;
    std::string command;
    std::string text;  // the action as the file writes it, for messages and listings
};

// Reads one action. Words and the short modifier names (Control or Ctrl,
// Alt, Shift, Super, Meta) are taken in any letter case; other key names are
// X keysym names as the X library spells them (Return, Left, F5, w, plus).
// False, with what is wrong in *why, for text that is no action.
bool parse_bound_action(const std::string &text, BoundAction *out, std::string *why);
