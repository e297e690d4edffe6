#include "gestures_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ini.h>

#include "ini_lines.h"

namespace {

// libinih reads the text line by line through feed_line, which numbers the
// lines, leaves out (with a message) those that libinih would misread or cut,
// and strips their leading blanks: an indented binding is a binding, never a
// continuation of the line before.
struct Reading {
    const std::string *text;
    size_t at;
    int line;  // the line last handed to libinih
    GestureBindings *out;
};

void problem(Reading *r, const std::string &what)
{
    r->out->problems.push_back(r->out->path + ":" + std::to_string(r->line) + ": " + what);
}

char *feed_line(char *buffer, int size, void *stream)
{
    Reading *r = static_cast<Reading *>(stream);
    const std::string &text = *r->text;
    if (r->at >= text.size())
        return nullptr;
    size_t end = text.find('\n', r->at);
    if (end == std::string::npos)
        end = text.size();
    std::string line = text.substr(r->at, end - r->at);
    r->at = end + 1;
    ++r->line;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    line = trim(line);
    const int room = size - 2 < kGesturesLineMax ? size - 2 : kGesturesLineMax;
    if (static_cast<int>(line.size()) > room) {
        problem(r, "the line is longer than " + std::to_string(room) + " characters");
        line.clear();
    }
    const IniLine kind = classify_line(line);
    if (kind.kind == LineKind::kBad) {
        problem(r, kind.why);
        line.clear();
    } else if (kind.kind == LineKind::kSection) {
        std::string app, why;
        if (section_kind(kind.title, &app, &why) == SectionKind::kUnknown)
            problem(r, why);
    }
    memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\n';
    buffer[line.size() + 1] = 0;
    return buffer;
}

int on_binding(void *user, const char *section, const char *name, const char *value)
{
    Reading *r = static_cast<Reading *>(user);
    std::string app, why;
    SectionKind kind = SectionKind::kUnknown;
    if (section[0] == 0) {
        problem(r, "a binding before any section: put it under [gestures] or [app NAME]");
        return 1;
    }
    kind = section_kind(section, &app, &why);
    if (kind == SectionKind::kUnknown)
        return 1;  // said once, at the section's line
    BoundGesture gesture;
    if (!bound_gesture_from_word(name, &gesture)) {
        problem(r, std::string("unknown gesture '") + name + "' (the gestures are listed in vorell-gestures(5))");
        return 1;
    }
    BindingSection *section_bindings = r->out->section(app);
    Binding fresh;
    if (!parse_bound_action(without_comment(value), &fresh.action, &why)) {
        problem(r, why);
        r->out->unusable.push_back({app, gesture});
        return 1;
    }
    fresh.line = r->line;
    Binding &place = (*section_bindings)[gesture];
    if (place.bound())
        problem(r, std::string(name) + " is bound on line " + std::to_string(place.line) +
                       " of this section already; this line counts");
    place = fresh;
    return 1;
}

bool same_app(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool names(const std::string &app, const char *name) { return name && name[0] && same_app(app, name); }

}  // namespace

BindingSection *GestureBindings::section(const std::string &app)
{
    if (app.empty())
        return &global;
    for (BindingSection &s : apps)
        if (same_app(s.app, app))
            return &s;
    apps.push_back(BindingSection{});
    apps.back().app = app;
    return &apps.back();
}

const Binding *GestureBindings::find(BoundGesture g, const char *instance, const char *window_class) const
{
    const Binding *found = nullptr;
    for (const BindingSection &s : apps) {
        if (s[g].bound() && (names(s.app, instance) || names(s.app, window_class))) {
            found = &s[g];
            break;
        }
    }
    if (!found && global[g].bound())
        found = &global[g];
    return found && found->action.kind != ActionKind::kDefault ? found : nullptr;
}

bool GestureBindings::bound_for_some_app(BoundGesture g) const
{
    for (const BindingSection &s : apps)
        if (s[g].bound())
            return true;
    return false;
}

int GestureBindings::count() const
{
    int n = 0;
    for (const Binding &b : global.bindings)
        n += b.bound();
    for (const BindingSection &s : apps)
        for (const Binding &b : s.bindings)
            n += b.bound();
    return n;
}

GestureBindings parse_gestures_text(const std::string &path, const std::string &text)
{
    GestureBindings out;
    out.path = path;
    // A byte-order mark says nothing here.
    const size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::string body = text.substr(start);
    Reading r{&body, 0, 0, &out};
    ini_parse_stream(feed_line, &r, on_binding, &r);
    return out;
}

GesturesFileReading read_gestures_file(const std::string &path)
{
    GesturesFileReading reading{GesturesFileState::kRead, "", {}};
    reading.bindings.path = path;
    std::string text;
    // Not blocking on a FIFO, and only a plain file counts.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    int error = 0;
    if (fd < 0) {
        error = errno;
    } else if (fstat(fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    } else {
        char buffer[4096];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = errno;
                break;
            }
            text.append(buffer, static_cast<size_t>(n));
        }
    }
    if (fd >= 0)
        close(fd);
    if (error != 0) {
        reading.state = error == ENOENT || error == ENOTDIR ? GesturesFileState::kMissing
                                                            : GesturesFileState::kUnreadable;
        reading.why = error == EINVAL ? "not a plain file" : strerror(error);
        return reading;
    }
    reading.bindings = parse_gestures_text(path, text);
    return reading;
}

std::shared_ptr<const GestureBindings> bindings_after_reading(
    const std::shared_ptr<const GestureBindings> &before, const GesturesFileReading &reading)
{
    switch (reading.state) {
    case GesturesFileState::kMissing: {
        auto none = std::make_shared<GestureBindings>();
        none->path = reading.bindings.path;
        return none;
    }
    case GesturesFileState::kUnreadable:
        if (before)
            return before;
        return std::make_shared<GestureBindings>(reading.bindings);
    case GesturesFileState::kRead: break;
    }
    auto now = std::make_shared<GestureBindings>(reading.bindings);
    if (!before)
        return now;
    for (const GestureBindings::Unusable &u : now->unusable) {
        BindingSection *place = now->section(u.app);
        if ((*place)[u.gesture].bound())
            continue;  // a later good line of the same section counts
        const Binding *earlier = nullptr;
        if (u.app.empty())
            earlier = &before->global[u.gesture];
        for (const BindingSection &s : before->apps)
            if (!u.app.empty() && same_app(s.app, u.app))
                earlier = &s[u.gesture];
        if (earlier && earlier->bound())
            (*place)[u.gesture] = *earlier;
    }
    return now;
}

std::string gestures_file_path(const char *xdg_config_home, const char *home)
{
    std::string base;
    if (xdg_config_home && xdg_config_home[0] == '/')
        base = xdg_config_home;
    else
        base = std::string(home ? home : "") + "/.config";
    return base + "/vorell/gestures.conf";
}

std::string section_title(const std::string &app) { return app.empty() ? "gestures" : "app " + app; }
