#include "ini_lines.h"

#include <strings.h>

#include <cctype>

namespace {

// Longest section title libinih keeps whole.
constexpr size_t kTitleMax = 49;

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string trim(const std::string &s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && isspace(static_cast<unsigned char>(s[begin])))
        ++begin;
    while (end > begin && isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    return s.substr(begin, end - begin);
}

std::string without_comment(const std::string &value)
{
    for (size_t i = 1; i < value.size(); ++i)
        if ((value[i] == '#' || value[i] == ';') && blank(value[i - 1]))
            return trim(value.substr(0, i));
    return trim(value);
}

IniLine classify_line(const std::string &raw)
{
    const std::string line = trim(raw);
    if (line.empty())
        return {LineKind::kBlank, "", "", ""};
    if (line[0] == ';' || line[0] == '#')
        return {LineKind::kComment, "", "", ""};
    if (line[0] == '[') {
        const size_t close = line.find(']');
        if (close == std::string::npos)
            return {LineKind::kBad, "", "", "a section's name needs its closing ']'"};
        const std::string title = trim(line.substr(1, close - 1));
        if (title.size() > kTitleMax)
            return {LineKind::kBad, "", "", "a section's name is longer than " + std::to_string(kTitleMax) +
                                                " characters"};
        return {LineKind::kSection, title, "", ""};
    }
    const size_t equals = line.find_first_of("=:");
    const std::string name = equals == std::string::npos ? "" : trim(line.substr(0, equals));
    if (name.empty())
        return {LineKind::kBad, "", "", "not a binding: write GESTURE = ACTION, as in two-finger-tap = button 2"};
    return {LineKind::kBinding, "", name, ""};
}

SectionKind section_kind(const std::string &title, std::string *app, std::string *why)
{
    const std::string t = trim(title);
    if (strcasecmp(t.c_str(), "gestures") == 0) {
        app->clear();
        return SectionKind::kGestures;
    }
    const size_t blank_at = t.find_first_of(" \t");
    if (strcasecmp(t.substr(0, blank_at).c_str(), "app") == 0) {
        *app = blank_at == std::string::npos ? "" : trim(t.substr(blank_at));
        if (!app->empty())
            return SectionKind::kApp;
        *why = "[app] needs the application's name, as in [app firefox]";
        return SectionKind::kUnknown;
    }
    *why = "unknown section [" + t + "]: write [gestures] or [app NAME]";
    return SectionKind::kUnknown;
}
