#include "gestures_edit.h"

#include <strings.h>

#include <vector>

#include "gestures_file.h"
#include "ini_lines.h"

namespace {

struct Line {
    std::string text;  // without its newline
    bool in_section;   // inside a section of the app asked for
    bool binds;        // a line of that section that binds the gesture
};

std::vector<Line> lines_of(const std::string &text, const std::string &app, BoundGesture gesture)
{
    std::vector<Line> lines;
    bool inside = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        Line l{text.substr(at, end - at), false, false};
        at = end + 1;
        const IniLine kind = classify_line(l.text);
        if (kind.kind == LineKind::kSection) {
            std::string section_app, why;
            const SectionKind sk = section_kind(kind.title, &section_app, &why);
            inside = sk != SectionKind::kUnknown && strcasecmp(section_app.c_str(), app.c_str()) == 0;
        } else if (inside && kind.kind == LineKind::kBinding) {
            BoundGesture named;
            l.binds = bound_gesture_from_word(kind.name.c_str(), &named) && named == gesture;
        }
        l.in_section = inside;
        lines.push_back(l);
    }
    return lines;
}

std::string joined(const std::vector<Line> &lines, bool ends_with_newline)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i].text;
        if (i + 1 < lines.size() || ends_with_newline)
            out += '\n';
    }
    return out;
}

}  // namespace

std::string text_with_binding(const std::string &text, const std::string &app, BoundGesture gesture,
                              const std::string &action)
{
    const std::string binding = std::string(bound_gesture_info(gesture).word) + " = " + action;
    std::vector<Line> lines = lines_of(text, app, gesture);
    const bool newline_at_end = text.empty() || text.back() == '\n';
    // The last binding line counts: rewrite it, keeping its indentation.
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].binds) {
            const std::string &old = lines[i].text;
            lines[i].text = old.substr(0, old.find_first_not_of(" \t")) + binding;
            return joined(lines, newline_at_end);
        }
    }
    // After the last line of the section's last appearance that is not blank.
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].in_section && classify_line(lines[i].text).kind != LineKind::kBlank) {
            lines.insert(lines.begin() + static_cast<long>(i) + 1, Line{binding, true, true});
            return joined(lines, newline_at_end);
        }
    }
    std::string out = text;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    if (!out.empty())
        out += '\n';
    return out + "[" + section_title(app) + "]\n" + binding + "\n";
}

std::string text_without_binding(const std::string &text, const std::string &app, BoundGesture gesture)
{
    std::vector<Line> kept;
    for (const Line &l : lines_of(text, app, gesture))
        if (!l.binds)
            kept.push_back(l);
    return joined(kept, text.empty() || text.back() == '\n');
}
