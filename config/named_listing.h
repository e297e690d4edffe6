// The settings and the gestures file's bindings as a person reads them, for
// vorell-config show (vorell-session show). The names come from the settings
// window's layout, the action catalogues and the gesture words; nothing here
// names a setting or an action a second time.
#pragma once

#include <string>

#include "gestures_file.h"

// Every setting the settings window shows, group by group:
//   "Tapping" then "  Two-finger tap: right button (TwoFTComboBox 1)".
std::string settings_listing(const void *block);

// What each gesture does: "  two-finger tap: right button (combo box 1)",
// "  cover: keys Control+w (line 4)", a built-in action, and "switched off"
// while a setting it needs is 0; then one block per [app] section with the
// gestures it binds. bindings null: no file. block null: the combo boxes are
// not known ("combo box TwoFTComboBox").
std::string gestures_listing(const GestureBindings *bindings, const std::string &path, const void *block);
