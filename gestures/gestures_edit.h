// Changing one binding of the gestures file in its text, so that everything
// else the person wrote (comments, order, blank lines, other sections) stays
// byte for byte. For vorell-config set and the settings window; the file is
// then written with replace_file (shared/file_replace.h).
#pragma once

#include <string>

#include "gesture_words.h"

// The text with the gesture bound to action (its words as the file writes
// them) in the section of app ("" for [gestures]): the line that counts now
// is rewritten in place, or a line is added at the end of the section, or
// the section is added at the end of the text.
std::string text_with_binding(const std::string &text, const std::string &app, BoundGesture gesture,
                              const std::string &action);

// The text without any line of that section that binds the gesture.
std::string text_without_binding(const std::string &text, const std::string &app, BoundGesture gesture);
