#include "recording.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Largest seconds value accepted: times stay far from int64 overflow in
// microseconds.
constexpr int64_t kMaxSeconds = int64_t{1} << 40;

struct Words {
    std::vector<std::string> items;
};

// Splits the text after the two-character prefix into words, stopping at a
// "#" comment.
Words split(const std::string &line)
{
    Words w;
    std::string cur;
    for (size_t i = 2; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '#')
            break;
        if (c == ' ' || c == '\t') {
            if (!cur.empty())
                w.items.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty())
        w.items.push_back(cur);
    return w;
}

bool parse_hex(const std::string &s, uint32_t max, uint32_t *out)
{
    if (s.empty() || s.size() > 8)
        return false;
    uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    if (v > max)
        return false;
    *out = v;
    return true;
}

bool parse_int(const std::string &s, int32_t *out)
{
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        neg = s[i] == '-';
        ++i;
    }
    if (i == s.size() || s.size() - i > 11)
        return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    if (neg)
        v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

// "seconds.micros" with one to six digits after the point.
bool parse_time(const std::string &s, int64_t *us)
{
    const size_t dot = s.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == s.size() || s.size() - dot - 1 > 6 || dot > 13)
        return false;
    int64_t sec = 0, frac = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        sec = sec * 10 + (s[i] - '0');
    }
    size_t digits = 0;
    for (size_t i = dot + 1; i < s.size(); ++i, ++digits) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        frac = frac * 10 + (s[i] - '0');
    }
    for (; digits < 6; ++digits)
        frac *= 10;
    if (sec > kMaxSeconds)
        return false;
    *us = sec * 1000000 + frac;
    return true;
}

class Parser {
public:
    Parser(const std::string &file, Recording *out) : file_(file), out_(out) {}

    bool line(const std::string &text, int number, std::string *error)
    {
        number_ = number;
        error_ = error;
        if (text.empty() || text[0] == '#')
            return true;
        if (text.size() < 2 || text[1] != ':')
            return fail("a line beginning with N:, I:, P:, B:, A: or E:");
        switch (text[0]) {
        case 'N': return name(text);
        case 'I': return ids(split(text));
        case 'P': return props(split(text));
        case 'B': return codes(split(text));
        case 'A': return axis(split(text));
        case 'E': return event(split(text));
        case 'L':
        case 'S': return true;  // LED and switch states: nothing for a touchpad
        default: return fail("a line beginning with N:, I:, P:, B:, A: or E:");
        }
    }

    bool finish(int last_line, std::string *error)
    {
        number_ = last_line;
        error_ = error;
        if (out_->events.empty())
            return fail("at least one \"E: seconds.micros type code value\" event line");
        if (!out_->has_header)
            infer_axes();
        return true;
    }

private:
    bool fail(const std::string &what)
    {
        *error_ = file_ + ":" + std::to_string(number_) + ": expected " + what;
        return false;
    }

    bool name(const std::string &text)
    {
        out_->has_header = true;
        size_t i = 2;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        out_->description.name = text.substr(i);
        return true;
    }

    bool ids(const Words &w)
    {
        out_->has_header = true;
        uint32_t v[4];
        if (w.items.size() != 4)
            return fail("\"I: bustype vendor product version\" (four hexadecimal numbers)");
        for (int i = 0; i < 4; ++i)
            if (!parse_hex(w.items[static_cast<size_t>(i)], 0xffff, &v[i]))
                return fail("\"I: bustype vendor product version\" (four hexadecimal numbers)");
        PadDescription &d = out_->description;
        d.bustype = static_cast<uint16_t>(v[0]);
        d.vendor = static_cast<uint16_t>(v[1]);
        d.product = static_cast<uint16_t>(v[2]);
        d.version = static_cast<uint16_t>(v[3]);
        return true;
    }

    bool props(const Words &w)
    {
        out_->has_header = true;
        if (w.items.empty() || w.items.size() > 8)
            return fail("\"P:\" and one to eight hexadecimal property bytes");
        for (const std::string &s : w.items) {
            uint32_t b;
            if (s.size() > 2 || !parse_hex(s, 0xff, &b))
                return fail("\"P:\" and one to eight hexadecimal property bytes");
            out_->description.props.push_back(static_cast<uint8_t>(b));
        }
        return true;
    }

    bool codes(const Words &w)
    {
        out_->has_header = true;
        uint32_t type;
        if (w.items.size() < 2 || w.items.size() > 9 || w.items[0].size() > 2 ||
            !parse_hex(w.items[0], kPadTypeCount - 1, &type))
            return fail("\"B: type\" and one to eight hexadecimal code bytes");
        std::vector<uint8_t> &bytes = out_->description.codes[type];
        for (size_t i = 1; i < w.items.size(); ++i) {
            uint32_t b;
            if (w.items[i].size() > 2 || !parse_hex(w.items[i], 0xff, &b))
                return fail("\"B: type\" and one to eight hexadecimal code bytes");
            if (bytes.size() >= (KEY_CNT + 7) / 8)
                return fail("no more code bytes than the kernel has codes");
            bytes.push_back(static_cast<uint8_t>(b));
        }
        return true;
    }

    bool axis(const Words &w)
    {
        out_->has_header = true;
        const char *form =
            "\"A: code min max fuzz flat [resolution]\" (code hexadecimal below 40, "
            "the rest decimal)";
        if (w.items.size() != 5 && w.items.size() != 6)
            return fail(form);
        uint32_t code;
        int32_t v[5] = {0, 0, 0, 0, 0};
        if (!parse_hex(w.items[0], kPadAbsCount - 1, &code))
            return fail(form);
        for (size_t i = 1; i < w.items.size(); ++i)
            if (!parse_int(w.items[i], &v[i - 1]))
                return fail(form);
        if (v[0] > v[1])
            return fail("an axis minimum not above its maximum");
        if (v[2] < 0 || v[3] < 0 || v[4] < 0)
            return fail("a fuzz, flat and resolution of 0 or more");
        PadAxis &a = out_->description.abs[code];
        a.present = true;
        a.minimum = v[0];
        a.maximum = v[1];
        a.fuzz = v[2];
        a.flat = v[3];
        a.resolution = v[4];
        out_->description.set_code(EV_ABS, static_cast<int>(code));
        return true;
    }

    bool event(const Words &w)
    {
        const char *form =
            "\"E: seconds.micros type code value\" (type and code hexadecimal, "
            "value decimal)";
        if (w.items.size() != 4)
            return fail(form);
        PadEvent e;
        uint32_t type, code;
        if (!parse_time(w.items[0], &e.time_us) || !parse_hex(w.items[1], EV_MAX, &type) ||
            !parse_hex(w.items[2], KEY_MAX, &code) || !parse_int(w.items[3], &e.value))
            return fail(form);
        if (type == EV_ABS && code >= kPadAbsCount)
            return fail("an absolute axis code below 40");
        if (!out_->events.empty() && e.time_us < out_->events.back().time_us)
            return fail("an event time not before the previous event's");
        e.type = static_cast<uint16_t>(type);
        e.code = static_cast<uint16_t>(code);
        out_->events.push_back(e);
        return true;
    }

    // Without a header: every code the events use is present, and each axis
    // spans the values seen.
    void infer_axes()
    {
        PadDescription &d = out_->description;
        d.set_code(EV_SYN, SYN_REPORT);
        for (const PadEvent &e : out_->events) {
            d.set_code(e.type, e.code);
            if (e.type != EV_ABS)
                continue;
            PadAxis &a = d.abs[e.code];
            if (!a.present) {
                a.present = true;
                a.minimum = a.maximum = e.value;
            }
            a.minimum = std::min(a.minimum, e.value);
            a.maximum = std::max(a.maximum, e.value);
        }
    }

    std::string file_;
    Recording *out_;
    int number_ = 0;
    std::string *error_ = nullptr;
};

}  // namespace

bool parse_recording(const char *text, std::size_t length, const std::string &file, Recording *out,
                     std::string *error, const RecordingLimits &limits)
{
    Recording rec;
    Parser parser(file, &rec);
    int number = 0;
    size_t start = 0;
    while (start < length) {
        size_t end = start;
        while (end < length && text[end] != '\n')
            ++end;
        std::string line(text + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++number;
        if (static_cast<size_t>(number) > limits.max_lines) {
            *error = file + ":" + std::to_string(number) + ": stopped reading: a recording has at most " +
                     std::to_string(limits.max_lines) + " lines";
            return false;
        }
        if (line.find('\0') != std::string::npos) {
            *error = file + ":" + std::to_string(number) + ": expected text, found a NUL byte";
            return false;
        }
        if (!parser.line(line, number, error))
            return false;
        start = end + 1;
    }
    if (!parser.finish(number == 0 ? 1 : number, error))
        return false;
    *out = std::move(rec);
    return true;
}

namespace {

// What kind of file path names (through links), or why it is none to read.
bool readable_kind(const std::string &path, const RecordingLimits &limits, std::string *error)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        *error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = path + ": is a folder, not a recording";
        return false;
    }
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        *error = path + ": is a device, not a recording (a touchpad is read with --device)";
        return false;
    }
    if (S_ISSOCK(st.st_mode)) {
        *error = path + ": is a socket, not a recording";
        return false;
    }
    if (S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) > limits.max_bytes) {
        *error = path + ": is " + std::to_string(st.st_size) + " bytes; a recording has at most " +
                 std::to_string(limits.max_bytes);
        return false;
    }
    return true;
}

}  // namespace

bool read_recording(const std::string &path, Recording *out, std::string *error,
                    const RecordingLimits &limits)
{
    if (!readable_kind(path, limits, error))
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    // A regular file may still grow while it is read, and a pipe has no
    // size: the limit holds for what is read, not for what was announced.
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = path + ": cannot be read: " + std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (text.size() + static_cast<size_t>(n) > limits.max_bytes) {
            *error = path + ": stopped reading after " + std::to_string(limits.max_bytes) +
                     " bytes: a recording has at most that many";
            close(fd);
            return false;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return parse_recording(text.data(), text.size(), path, out, error, limits);
}

std::string format_header(const PadDescription &d)
{
    std::string out = "# EVEMU 1.3\n";
    out += "N: " + d.name + "\n";
    char buf[128];
    snprintf(buf, sizeof buf, "I: %04x %04x %04x %04x\n", d.bustype, d.vendor, d.product, d.version);
    out += buf;
    out += "P:";
    for (size_t i = 0; i < 8; ++i) {
        snprintf(buf, sizeof buf, " %02x", i < d.props.size() ? d.props[i] : 0);
        out += buf;
    }
    out += "\n";
    for (int type = 0; type < kPadTypeCount; ++type) {
        const std::vector<uint8_t> &bytes = d.codes[static_cast<size_t>(type)];
        for (size_t i = 0; i < bytes.size(); i += 8) {
            snprintf(buf, sizeof buf, "B: %02x", type);
            out += buf;
            for (size_t j = i; j < i + 8; ++j) {
                snprintf(buf, sizeof buf, " %02x", j < bytes.size() ? bytes[j] : 0);
                out += buf;
            }
            out += "\n";
        }
    }
    for (int code = 0; code < kPadAbsCount; ++code) {
        const PadAxis &a = d.abs[static_cast<size_t>(code)];
        if (!a.present)
            continue;
        snprintf(buf, sizeof buf, "A: %02x %d %d %d %d %d\n", code, a.minimum, a.maximum, a.fuzz, a.flat,
                 a.resolution);
        out += buf;
    }
    return out;
}

std::string format_event(const PadEvent &e)
{
    char buf[96];
    snprintf(buf, sizeof buf, "E: %" PRId64 ".%06" PRId64 " %04x %04x %d\n", e.time_us / 1000000,
             e.time_us % 1000000, e.type, e.code, e.value);
    return buf;
}
