// The line rules that the gestures file's reader and its editor share: what
// a line is, and what a section's title means.
#pragma once

#include <string>

enum class LineKind { kBlank, kComment, kSection, kBinding, kBad };

struct IniLine {
    LineKind kind;
    std::string title;  // kSection: the text between the brackets, trimmed
    std::string name;   // kBinding: the text before '=' (or ':'), trimmed
    std::string why;    // kBad: what is wrong
};

// One line without its newline; blanks before it do not matter.
IniLine classify_line(const std::string &raw);

enum class SectionKind { kGestures, kApp, kUnknown };

// "gestures", "app NAME" (words in any letter case, NAME as written);
// kUnknown with the reason in *why otherwise.
SectionKind section_kind(const std::string &title, std::string *app, std::string *why);

// The text before a '#' or ';' that follows a blank, trimmed.
std::string without_comment(const std::string &value);

std::string trim(const std::string &s);
