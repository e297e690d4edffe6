#include "hand_model.h"

#include <linux/input.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "recording.h"

namespace {

PadModel pad(const char *name, int32_t w, int32_t h, int32_t rx, int32_t ry, int slots, PadModel::Axes axes,
             bool clickpad, double hz)
{
    PadModel p;
    p.name = name;
    p.width = w;
    p.height = h;
    p.res_x = rx;
    p.res_y = ry;
    p.slots = slots;
    p.axes = axes;
    p.clickpad = clickpad;
    p.hz = hz;
    p.mm_x = rx ? static_cast<double>(w) / rx : 0;
    p.mm_y = ry ? static_cast<double>(h) / ry : 0;
    return p;
}

std::vector<PadModel> make_pads()
{
    std::vector<PadModel> pads = {
        // The pads of real reports: a clickpad measuring contact size, a
        // pad with major, minor and width, one with positions only, a wide
        // low-resolution one with pressure.
        pad("clickpad10", 2040, 1360, 20, 20, 10, PadModel::kTouchMajor, true, 125),
        pad("pad5mmw", 3207, 1791, 31, 31, 5, PadModel::kMajorMinorWidth, true, 140),
        pad("pad5", 3207, 1840, 31, 31, 5, PadModel::kPositionsOnly, false, 125),
        pad("pad15", 1280, 680, 12, 10, 15, PadModel::kPressure, true, 100),
        // A fine 40 units/mm pad, a small old one with two slots that says
        // nothing of its size, and a tiny 12 units/mm one.
        pad("fine40", 4000, 2600, 40, 40, 16, PadModel::kTouchMajor, true, 125),
        pad("old2", 1200, 700, 0, 0, 2, PadModel::kPositionsOnly, false, 80),
        pad("tiny12", 900, 520, 12, 12, 3, PadModel::kPressure, false, 90),
    };
    // Real sizes of the pads without resolution.
    pads[5].mm_x = 80;
    pads[5].mm_y = 47;
    pads[3].tremble_mm = 0.12;  // coarse units tremble more
    pads[6].tremble_mm = 0.12;
    return pads;
}

double smooth(double s) { return s * s * s * (10 - 15 * s + 6 * s * s); }  // minimum jerk

struct SlotValues {
    int32_t id = -1, x = -1, y = -1, major = -1, minor = -1, width = -1, pressure = -1;
};

class Writer {
public:
    explicit Writer(std::string *out) : out_(out) {}
    void ev(double t, int type, int code, int32_t value)
    {
        PadEvent e;
        e.time_us = std::llround(t * 1e6);
        e.type = static_cast<uint16_t>(type);
        e.code = static_cast<uint16_t>(code);
        e.value = value;
        *out_ += format_event(e);
    }

private:
    std::string *out_;
};

PadDescription describe(const PadModel &p, int32_t size_max)
{
    PadDescription d;
    d.name = "Corpus pad " + p.name;
    d.bustype = 0x18;
    d.vendor = 0x6cb;
    d.set_prop(INPUT_PROP_POINTER);
    if (p.clickpad)
        d.set_prop(INPUT_PROP_BUTTONPAD);
    d.set_code(EV_SYN, SYN_REPORT);
    for (int key : {BTN_LEFT, BTN_TOOL_FINGER, BTN_TOUCH, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP,
                    BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP})
        d.set_code(EV_KEY, key);
    auto axis = [&](int code, int32_t max, int32_t res) {
        PadAxis &a = d.abs[code];
        a.present = true;
        a.maximum = max;
        a.resolution = res;
        d.set_code(EV_ABS, code);
    };
    axis(ABS_X, p.width, p.res_x);
    axis(ABS_Y, p.height, p.res_y);
    axis(ABS_MT_SLOT, p.slots - 1, 0);
    axis(ABS_MT_POSITION_X, p.width, p.res_x);
    axis(ABS_MT_POSITION_Y, p.height, p.res_y);
    axis(ABS_MT_TRACKING_ID, 65535, 0);
    if (p.axes == PadModel::kPressure) {
        axis(ABS_PRESSURE, 255, 0);
        axis(ABS_MT_PRESSURE, 255, 0);
    }
    if (p.axes == PadModel::kTouchMajor || p.axes == PadModel::kMajorMinorWidth)
        axis(ABS_MT_TOUCH_MAJOR, size_max, 0);
    if (p.axes == PadModel::kMajorMinorWidth) {
        axis(ABS_MT_TOUCH_MINOR, size_max, 0);
        axis(ABS_MT_WIDTH_MAJOR, size_max, 0);
    }
    return d;
}

}  // namespace

const std::vector<PadModel> &corpus_pads()
{
    static const std::vector<PadModel> pads = make_pads();
    return pads;
}

const PadModel &corpus_pad(const std::string &name)
{
    for (const PadModel &p : corpus_pads())
        if (p.name == name)
            return p;
    throw std::runtime_error("no corpus pad " + name);
}

Way &Way::at(double t, Mm p)
{
    keys.push_back(Key{t, p});
    return *this;
}

Mm Way::where(double t) const
{
    if (keys.empty())
        return {};
    if (t <= keys.front().t)
        return keys.front().at;
    for (size_t i = 1; i < keys.size(); ++i) {
        const Key &a = keys[i - 1], &b = keys[i];
        if (t <= b.t) {
            const double r = b.t > a.t ? (t - a.t) / (b.t - a.t) : 1;
            const double s = linear ? r : smooth(r);
            return Mm{a.at.x + (b.at.x - a.at.x) * s, a.at.y + (b.at.y - a.at.y) * s};
        }
    }
    return keys.back().at;
}

std::string record_take(const Take &take)
{
    const PadModel &p = corpus_pad(take.pad);
    const double ux = p.width / p.mm_x, uy = p.height / p.mm_y;  // units per real mm
    const int32_t size_max = static_cast<int32_t>(std::lround(40 * ux));
    std::mt19937 rng(take.seed);
    std::normal_distribution<double> normal(0, 1);
    std::uniform_real_distribution<double> unit(0, 1);

    std::string out = "# expect: " + (take.expect.empty() ? std::string("nothing") : take.expect) + "\n";
    out += "# generated: " + take.name + " on " + p.name + "\n";
    out += format_header(describe(p, size_max));
    Writer w(&out);

    double first = 1e9, last = 0;
    for (const Finger &f : take.fingers) {
        first = std::min(first, f.down);
        last = std::max(last, f.up);
    }
    const size_t n = take.fingers.size();
    // Per finger: its slot (-1: none free, counted in BTN_TOOL_* only), how it
    // lands and lifts, its wandering.
    std::vector<int> slot(n, -2);
    std::vector<Mm> land_offset(n), lift_offset(n), drift(n), in_place(n);
    std::vector<bool> first_report(n, false);
    std::vector<size_t> next_split(n, 0);
    std::vector<bool> gap_pending(n, false);
    for (size_t i = 0; i < n; ++i) {
        land_offset[i] = Mm{normal(rng) * 0.5, -0.4 - unit(rng) * 0.6};
        lift_offset[i] = Mm{normal(rng) * 0.4, -0.3 - unit(rng) * 0.8};
    }
    std::vector<SlotValues> sent(static_cast<size_t>(p.slots));
    int32_t next_id = 100 + static_cast<int32_t>(take.seed % 500);
    int current_slot = 0;
    bool touch = false, left = false;
    int tool = 0;
    int32_t st_x = -1, st_y = -1, st_p = -1;

    const double period = 1.0 / p.hz;
    for (double t0 = first;; t0 += period) {
        const double t = t0 + (unit(rng) - 0.5) * 0.0006;
        const size_t report_start = out.size();
        const bool final_report = t0 > last;
        bool click = false;
        for (const auto &c : take.clicks)
            click = click || (t >= c.first && t < c.second);
        int down = 0, oldest_slot = -1;
        double oldest_down = 1e9;
        for (size_t i = 0; i < n; ++i) {
            const Finger &f = take.fingers[i];
            const bool on = t >= f.down && t < f.up;
            if (!on) {
                if (slot[i] >= 0) {  // lifted
                    if (slot[i] != current_slot)
                        w.ev(t, EV_ABS, ABS_MT_SLOT, current_slot = slot[i]);
                    w.ev(t, EV_ABS, ABS_MT_TRACKING_ID, -1);
                    sent[static_cast<size_t>(slot[i])].id = -1;
                }
                slot[i] = t >= f.up ? -3 : -2;
                continue;
            }
            if (slot[i] == -2) {  // lands: the lowest free slot
                slot[i] = -1;
                for (int s = 0; s < p.slots && slot[i] < 0; ++s) {
                    bool used = sent[static_cast<size_t>(s)].id >= 0;
                    for (size_t j = 0; j < n; ++j)
                        used = used || (j != i && slot[j] == s);
                    if (!used)
                        slot[i] = s;
                }
                if (slot[i] >= 0) {
                    if (slot[i] != current_slot)
                        w.ev(t, EV_ABS, ABS_MT_SLOT, current_slot = slot[i]);
                    w.ev(t, EV_ABS, ABS_MT_TRACKING_ID, next_id++);
                    SlotValues &v = sent[static_cast<size_t>(slot[i])];
                    v.id = next_id - 1;
                    first_report[i] = true;
                    if (f.lands_in_place && v.x >= 0) {
                        const Mm way = f.way.where(t);
                        in_place[i] = Mm{v.x / ux - way.x, v.y / uy - way.y};
                    }
                }
            }
            if (slot[i] < 0) {
                ++down;  // counted by the pad, but in no slot
                continue;
            }
            SlotValues &v = sent[static_cast<size_t>(slot[i])];
            if (gap_pending[i]) {  // found again after a report without it
                gap_pending[i] = false;
                if (slot[i] != current_slot)
                    w.ev(t, EV_ABS, ABS_MT_SLOT, current_slot = slot[i]);
                w.ev(t, EV_ABS, ABS_MT_TRACKING_ID, v.id = next_id++);
            }
            if (next_split[i] < f.id_splits.size() && t >= f.id_splits[next_split[i]]) {
                ++next_split[i];
                if (slot[i] != current_slot)
                    w.ev(t, EV_ABS, ABS_MT_SLOT, current_slot = slot[i]);
                if (f.split_gap) {
                    w.ev(t, EV_ABS, ABS_MT_TRACKING_ID, v.id = -1);
                    gap_pending[i] = true;
                    continue;
                }
                w.ev(t, EV_ABS, ABS_MT_TRACKING_ID, v.id = next_id++);
            }
            ++down;
            if (f.down < oldest_down) {
                oldest_down = f.down;
                oldest_slot = slot[i];
            }
            // Landing and lifting: the contact grows, settles and rolls off.
            const double in = std::min(1.0, (t - f.down) / 0.030), off = std::min(1.0, (f.up - t) / 0.025);
            const double strength = std::min(in, off);
            drift[i].x += normal(rng) * f.drift_mm_s * std::sqrt(period);
            drift[i].y += normal(rng) * f.drift_mm_s * std::sqrt(period);
            const Mm way = f.way.where(t);
            double x = way.x + land_offset[i].x * (1 - in) + lift_offset[i].x * (1 - off) + drift[i].x;
            double y = way.y + land_offset[i].y * (1 - in) + lift_offset[i].y * (1 - off) + drift[i].y;
            x += normal(rng) * p.tremble_mm + in_place[i].x;
            y += normal(rng) * p.tremble_mm + in_place[i].y;
            if (first_report[i] && f.lands_in_place && v.x >= 0) {
                x = v.x / ux;  // exactly the slot's last position: nothing to send
                y = v.y / uy;
            }
            first_report[i] = false;
            const double press = std::min(1.0, f.pressure * (0.35 + 0.65 * strength) * (click ? 1.6 : 1.0));
            const double size = f.size_mm * (0.45 + 0.55 * strength) * (click ? 1.15 : 1.0);
            auto send = [&](int code, int32_t &last, int32_t value) {
                if (value == last)
                    return;  // the kernel drops a value the slot already has
                if (slot[i] != current_slot)
                    w.ev(t, EV_ABS, ABS_MT_SLOT, current_slot = slot[i]);
                w.ev(t, EV_ABS, code, last = value);
            };
            send(ABS_MT_POSITION_X, v.x, std::clamp(static_cast<int32_t>(std::lround(x * ux)), 0, p.width));
            send(ABS_MT_POSITION_Y, v.y, std::clamp(static_cast<int32_t>(std::lround(y * uy)), 0, p.height));
            if (p.axes == PadModel::kTouchMajor || p.axes == PadModel::kMajorMinorWidth)
                send(ABS_MT_TOUCH_MAJOR, v.major, static_cast<int32_t>(std::lround(size * ux)));
            if (p.axes == PadModel::kMajorMinorWidth) {
                send(ABS_MT_TOUCH_MINOR, v.minor, static_cast<int32_t>(std::lround(size * 0.75 * ux)));
                send(ABS_MT_WIDTH_MAJOR, v.width, static_cast<int32_t>(std::lround(size * 1.3 * ux)));
            }
            if (p.axes == PadModel::kPressure)
                send(ABS_MT_PRESSURE, v.pressure, static_cast<int32_t>(std::lround(press * 255)));
        }
        // The single-touch and finger-count emulation.
        if ((down > 0) != touch)
            w.ev(t, EV_KEY, BTN_TOUCH, touch = down > 0);
        const int now_tool = std::min(down, 5);
        if (now_tool != tool) {
            static const int kTools[6] = {0,
                                          BTN_TOOL_FINGER,
                                          BTN_TOOL_DOUBLETAP,
                                          BTN_TOOL_TRIPLETAP,
                                          BTN_TOOL_QUADTAP,
                                          BTN_TOOL_QUINTTAP};
            if (tool)
                w.ev(t, EV_KEY, kTools[tool], 0);
            if (now_tool)
                w.ev(t, EV_KEY, kTools[now_tool], 1);
            tool = now_tool;
        }
        if (oldest_slot >= 0) {
            const SlotValues &v = sent[static_cast<size_t>(oldest_slot)];
            if (v.x != st_x)
                w.ev(t, EV_ABS, ABS_X, st_x = v.x);
            if (v.y != st_y)
                w.ev(t, EV_ABS, ABS_Y, st_y = v.y);
            if (p.axes == PadModel::kPressure && v.pressure != st_p)
                w.ev(t, EV_ABS, ABS_PRESSURE, st_p = v.pressure);
        } else if (p.axes == PadModel::kPressure && st_p != 0 && down == 0) {
            w.ev(t, EV_ABS, ABS_PRESSURE, st_p = 0);
        }
        if (click != left)
            w.ev(t, EV_KEY, BTN_LEFT, left = click);
        if (out.size() != report_start)  // a pad with nothing new reports nothing
            w.ev(t, EV_SYN, SYN_REPORT, 0);
        if (final_report)
            break;
    }
    return out;
}
