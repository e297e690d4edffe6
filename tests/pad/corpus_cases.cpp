#include "corpus_cases.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Draws the variations of one take: every take has its own seed.
class Dice {
public:
    explicit Dice(uint32_t seed) : rng_(seed) {}
    double in(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }

private:
    std::mt19937 rng_;
};

Mm at(const PadModel &p, double fx, double fy) { return Mm{p.mm_x * fx, p.mm_y * fy}; }
Mm plus(Mm a, double dx, double dy) { return Mm{a.x + dx, a.y + dy}; }
Mm polar(Mm c, double r, double deg)
{
    return Mm{c.x + r * std::cos(deg * kPi / 180), c.y + r * std::sin(deg * kPi / 180)};
}

Finger finger(double down, double up, Way way, double size = 9.5, double pressure = 0.25)
{
    Finger f;
    f.down = down;
    f.up = up;
    f.way = std::move(way);
    f.size_mm = size;
    f.pressure = pressure;
    return f;
}

Finger still(double down, double up, Mm p, double size = 9.5, double pressure = 0.25)
{
    return finger(down, up, Way().at(down, p), size, pressure);
}

struct Builder {
    std::vector<Take> takes;
    uint32_t seed = 1;

    Take &add(const std::string &pad, const std::string &name, const std::string &expect)
    {
        Take t;
        t.pad = pad;
        t.name = name;
        t.expect = expect;
        t.seed = seed++;
        takes.push_back(t);
        return takes.back();
    }
};

const char *kDirs[4] = {"down", "up", "left", "right"};
Mm dir_vector(int d, double len)
{
    switch (d) {
    case 0: return {0, len};
    case 1: return {0, -len};
    case 2: return {-len, 0};
    default: return {len, 0};
    }
}

// Two fingers side by side, landing and lifting one after the other, moving
// together (one a little ahead and faster) along the way given.
void two_finger_move(Take &t, Dice &dice, Mm centre, Mm move, double start, double moving_s, bool lift_moving)
{
    const PadModel &p = corpus_pad(t.pad);
    (void)p;
    const double gap = dice.in(17, 24), tilt = dice.in(-25, 25);
    const Mm a = polar(centre, gap / 2, 180 + tilt), b = polar(centre, gap / 2, tilt);
    const double land2 = start + dice.in(0, 0.04), go = land2 + dice.in(0.06, 0.15);
    const double stop = go + moving_s;
    const double lag = dice.in(0, 0.03), uneven = dice.in(0.85, 1.0);
    double up1 = stop + dice.in(0.08, 0.2), up2 = up1 + dice.in(0, 0.03);
    if (lift_moving) {  // a flick: the fingers leave while still moving
        up1 = go + moving_s * dice.in(0.7, 0.8);
        up2 = up1 + dice.in(0, 0.012);
    }
    Way wa, wb;
    wa.at(start, a).at(go, a).at(stop, plus(a, move.x, move.y));
    wb.at(land2, b).at(go + lag, b).at(stop + lag, plus(b, move.x * uneven, move.y * uneven));
    t.fingers.push_back(finger(start, up1, wa));
    t.fingers.push_back(finger(land2, up2, wb, 10.5, 0.28));
}

// Two fingers whose distance goes from d0 to d1 while the line through
// them turns by turn_deg; the first lies at angle deg from the second's
// side. share: how much of the movement the first finger makes.
void two_finger_pinch(Take &t, Dice &dice, Mm centre, double deg, double d0, double d1, double turn_deg,
                      double moving_s, double share, double second_late = -1)
{
    const double start = 0.05, land2 = start + (second_late >= 0 ? second_late : dice.in(0, 0.04));
    const double go = land2 + dice.in(0.05, 0.12), stop = go + moving_s;
    const int steps = 24;
    Way wa, wb;
    wa.linear = wb.linear = true;
    wa.at(start, polar(centre, -d0 * share, deg));
    wb.at(land2, polar(centre, d0 * (1 - share), deg));
    wa.at(go, polar(centre, -d0 * share, deg));
    wb.at(go, polar(centre, d0 * (1 - share), deg));
    for (int i = 1; i <= steps; ++i) {
        const double r = static_cast<double>(i) / steps, s = r * r * r * (10 - 15 * r + 6 * r * r);
        const double t_i = go + moving_s * r, d = d0 + (d1 - d0) * s, a = deg + turn_deg * s;
        wa.at(t_i, polar(centre, -d * share, a));
        wb.at(t_i, polar(centre, d * (1 - share), a));
    }
    const double up1 = stop + dice.in(0.06, 0.18), up2 = up1 + dice.in(0, 0.03);
    t.fingers.push_back(finger(start, up1, wa, 10, 0.26));
    t.fingers.push_back(finger(land2, up2, wb, 12, 0.3));  // the thumb is the wider
}

void taps(Builder &b, const std::string &pad, int fingers, int count)
{
    for (int i = 0; i < count; ++i) {
        Take &t = b.add(pad, "tap" + std::to_string(fingers) + "-" + std::to_string(i),
                        fingers == 2 ? "tap-2" : "tap-3");
        Dice dice(t.seed);
        const PadModel &p = corpus_pad(pad);
        const Mm c = at(p, dice.in(0.35, 0.65), dice.in(0.3, 0.6));
        double last_land = 0.05;
        std::vector<double> lands;
        for (int k = 0; k < fingers; ++k) {
            lands.push_back(k == 0 ? 0.05 : lands.back() + dice.in(0, 0.03));
            last_land = lands.back();
        }
        const double first_up = last_land + dice.in(0.05, 0.13);
        for (int k = 0; k < fingers; ++k) {
            const Mm where = polar(c, (k - (fingers - 1) / 2.0) * dice.in(17, 21), dice.in(-15, 15));
            const double up = first_up + dice.in(0, 0.025);
            t.fingers.push_back(
                still(lands[static_cast<size_t>(k)], up, where, dice.in(8, 11), dice.in(0.2, 0.3)));
        }
    }
}

void scrolls(Builder &b, const std::string &pad, bool slow)
{
    for (int d = 0; d < 4; ++d) {
        Take &t = b.add(pad, std::string(slow ? "slow-scroll-" : "scroll-") + kDirs[d],
                        std::string("scroll-") + kDirs[d]);
        Dice dice(t.seed);
        const PadModel &p = corpus_pad(pad);
        const double len = d < 2 ? std::min(30.0, p.mm_y * 0.45) : std::min(40.0, p.mm_x * 0.4);
        const Mm from = d == 0   ? at(p, 0.5, 0.3)
                        : d == 1 ? at(p, 0.5, 0.7)
                        : d == 2 ? at(p, 0.7, 0.5)
                                 : at(p, 0.3, 0.5);
        two_finger_move(t, dice, from, dir_vector(d, len), 0.05,
                        slow ? len / dice.in(15, 25) : len / dice.in(60, 120), false);
    }
}

void flicks(Builder &b, const std::string &pad, bool split)
{
    for (int d = 0; d < 2; ++d) {
        Take &t = b.add(pad, std::string(split ? "flick-split-" : "flick-") + kDirs[d],
                        std::string("scroll-") + kDirs[d] + " auto-scroll");
        Dice dice(t.seed);
        const PadModel &p = corpus_pad(pad);
        const double len = std::min(35.0, p.mm_y * 0.55);
        two_finger_move(t, dice, d == 0 ? at(p, 0.5, 0.22) : at(p, 0.5, 0.78), dir_vector(d, len), 0.05,
                        len / dice.in(250, 380), true);
        if (split) {
            Finger &f = t.fingers[1];
            f.id_splits.push_back(f.up - 0.02);
        }
    }
}

void pinches(Builder &b, const std::string &pad, bool slow)
{
    const double angles[4] = {-45, 45, 0, 90};  // lying: rising, falling, level, upright
    for (int k = 0; k < 4; ++k) {
        for (int spread = 0; spread < 2; ++spread) {
            Take &t = b.add(
                pad, std::string(slow ? "slow-" : "") + (spread ? "spread-" : "pinch-") + std::to_string(k),
                spread ? "zoom-in" : "zoom-out");
            Dice dice(t.seed);
            const PadModel &p = corpus_pad(pad);
            const double big = std::min(60.0, std::min(p.mm_x, p.mm_y * 1.3) * 0.75), small = dice.in(16, 22);
            two_finger_pinch(
                t, dice, at(p, 0.5, 0.5), angles[k] + dice.in(-10, 10), spread ? small : big,
                spread ? big : small, dice.in(-10, 10), slow ? dice.in(0.9, 1.2) : dice.in(0.25, 0.4),
                k % 2 ? dice.in(0.2, 0.25) : dice.in(0.3, 0.5));  // some with the thumb moving little
        }
    }
}

void rotations(Builder &b, const std::string &pad)
{
    for (int cw = 0; cw < 2; ++cw) {
        for (int k = 0; k < 2; ++k) {
            Take &t = b.add(pad, std::string(cw ? "rotate-cw-" : "rotate-ccw-") + std::to_string(k),
                            cw ? "rotate-cw" : "rotate-ccw");
            Dice dice(t.seed);
            const PadModel &p = corpus_pad(pad);
            const double d = std::min(40.0, p.mm_y * 0.6) * dice.in(0.8, 1.0);
            two_finger_pinch(t, dice, at(p, 0.5, 0.5), k ? dice.in(-60, -20) : dice.in(10, 50), d,
                             d * dice.in(0.95, 1.05), (cw ? 1 : -1) * dice.in(50, 80), dice.in(0.5, 0.9),
                             0.5);
        }
    }
}

void rests(Builder &b, const std::string &pad, int fingers, double seconds)
{
    Take &t = b.add(pad, "rest" + std::to_string(fingers), "");
    Dice dice(t.seed);
    const PadModel &p = corpus_pad(pad);
    const Mm c = at(p, dice.in(0.4, 0.6), dice.in(0.35, 0.55));
    for (int k = 0; k < fingers; ++k) {
        Finger f = still(0.05 + k * dice.in(0, 0.05), 0.05 + seconds + dice.in(0, 0.06),
                         polar(c, (k - (fingers - 1) / 2.0) * 19, dice.in(-10, 10)));
        f.drift_mm_s = 0.3;
        t.fingers.push_back(f);
    }
}

// One finger rests while another moves past, toward or away from it.
void rest_and_point(Builder &b, const std::string &pad)
{
    const double dirs[5] = {-90, 0, 180, 135, -60};
    for (int k = 0; k < 5; ++k) {
        Take &t = b.add(pad, "rest-and-point-" + std::to_string(k), "");
        Dice dice(t.seed);
        const PadModel &p = corpus_pad(pad);
        const Mm rest = at(p, dice.in(0.3, 0.45), dice.in(0.55, 0.7));
        const Mm from = polar(rest, dice.in(20, 28), dirs[k] + dice.in(-10, 10) + 180);
        const double len = std::min(35.0, p.mm_y * 0.5), land = dice.in(0.2, 0.5);
        const Mm to = polar(from, len, dirs[k]);
        const double go = land + dice.in(0.05, 0.2), stop = go + len / dice.in(40, 90);
        t.fingers.push_back(still(0.05, stop + dice.in(0.2, 0.5), rest));
        t.fingers.push_back(finger(land, stop + dice.in(0.05, 0.15),
                                   Way().at(land, from).at(go, from).at(stop, to), dice.in(10, 14)));
    }
}

Finger thumb(double down, double up, Way way) { return finger(down, up, std::move(way), 19, 0.6); }

// Thumbs: resting in the bottom strip while a finger points, clicking,
// dragging along the bottom on their own, and resting while two fingers
// scroll.
void thumbs(Builder &b, const std::string &pad)
{
    const PadModel &p = corpus_pad(pad);
    for (int click = 0; click < 2; ++click) {
        Take &t = b.add(pad, std::string("thumb-rest-point") + (click ? "-click" : ""), "");
        Dice dice(t.seed);
        const Mm rest = at(p, dice.in(0.2, 0.4), 0.93);
        const Mm from = at(p, 0.6, 0.3), to = at(p, 0.75, 0.65);
        t.fingers.push_back(thumb(0.05, 1.6, Way().at(0.05, rest)));
        t.fingers.push_back(finger(0.4, 1.4, Way().at(0.4, from).at(0.5, from).at(1.2, to)));
        if (click)
            t.clicks.push_back({0.6, 1.1});
    }
    for (int click = 0; click < 2; ++click) {
        Take &t = b.add(pad, std::string("thumb-drag") + (click ? "-click" : ""), "");
        Dice dice(t.seed);
        const Mm from = at(p, 0.25, 0.92), to = plus(from, dice.in(30, 40), -dice.in(0, 4));
        t.fingers.push_back(thumb(0.05, 1.2, Way().at(0.05, from).at(0.3, from).at(1.0, to)));
        if (click)
            t.clicks.push_back({0.2, 1.05});
    }
    {
        Take &t = b.add(pad, "thumb-rest-scroll", "scroll-down");
        Dice dice(t.seed);
        t.fingers.push_back(thumb(0.05, 1.5, Way().at(0.05, at(p, 0.3, 0.93))));
        two_finger_move(t, dice, at(p, 0.55, 0.25), Mm{0, 25}, 0.5, 0.35, false);
    }
}

// A palm lying at the lower left while a finger points, and alone.
void palms(Builder &b, const std::string &pad)
{
    const PadModel &p = corpus_pad(pad);
    {
        Take &t = b.add(pad, "palm-point", "");
        t.fingers.push_back(
            finger(0.05, 1.8, Way().at(0.05, at(p, 0.12, 0.75)).at(1.8, at(p, 0.14, 0.78)), 36, 0.92));
        t.fingers.push_back(finger(
            0.6, 1.5, Way().at(0.6, at(p, 0.5, 0.3)).at(0.7, at(p, 0.5, 0.3)).at(1.3, at(p, 0.8, 0.5))));
    }
    {
        Take &t = b.add(pad, "palm", "");
        t.fingers.push_back(
            finger(0.05, 1.5, Way().at(0.05, at(p, 0.2, 0.7)).at(1.5, at(p, 0.22, 0.72)), 40, 0.95));
    }
}

void swipes(Builder &b, const std::string &pad)
{
    const PadModel &p = corpus_pad(pad);
    for (int right = 0; right < 2; ++right) {
        Take &t = b.add(pad, right ? "swipe-right" : "swipe-left", right ? "swipe-right" : "swipe-left");
        Dice dice(t.seed);
        const double len = std::min(35.0, p.mm_x * 0.4) * (right ? 1 : -1);
        const Mm c = at(p, right ? 0.35 : 0.65, 0.45);
        const double go = 0.05 + 0.06 + dice.in(0.05, 0.12), stop = go + dice.in(0.25, 0.4);
        for (int k = 0; k < 3; ++k) {
            const Mm from = polar(c, (k - 1) * 19, -10 + dice.in(-8, 8));
            const double land = 0.05 + k * dice.in(0, 0.03), lag = dice.in(0, 0.03);
            t.fingers.push_back(finger(
                land, stop + dice.in(0.05, 0.12),
                Way().at(land, from).at(go + lag, from).at(stop + lag, plus(from, len, dice.in(-3, 3)))));
        }
    }
}

// One finger pointing, one tapping, and a tap followed by a drag.
void one_finger(Builder &b, const std::string &pad)
{
    const PadModel &p = corpus_pad(pad);
    {
        Take &t = b.add(pad, "point", "");
        t.fingers.push_back(finger(
            0.05, 1.0, Way().at(0.05, at(p, 0.2, 0.3)).at(0.15, at(p, 0.2, 0.3)).at(0.9, at(p, 0.7, 0.6))));
    }
    {
        Take &t = b.add(pad, "tap1", "");
        t.fingers.push_back(still(0.05, 0.14, at(p, 0.5, 0.5)));
    }
    {
        Take &t = b.add(pad, "tap-drag", "drag");
        const Mm c = at(p, 0.4, 0.4);
        t.fingers.push_back(still(0.05, 0.13, c));
        t.fingers.push_back(
            finger(0.25, 1.1, Way().at(0.25, plus(c, 1, 1)).at(0.35, plus(c, 1, 1)).at(0.9, plus(c, 30, 8))));
    }
}

// The touches of real reports, on pads like theirs.
void reported(Builder &b)
{
    // A fat finger slides up the pad past a finger resting still.
    for (const char *pad : {"clickpad10", "fine40", "pad15", "pad5mmw"}) {
        const PadModel &p = corpus_pad(pad);
        for (int k = 0; k < 2; ++k) {
            Take &t = b.add(p.name, "fat-finger-past-rest-" + std::to_string(k), "");
            Dice dice(t.seed);
            const Mm rest = at(p, dice.in(0.35, 0.5), dice.in(0.45, 0.6));
            const double aside = dice.in(0.1, 0.2) * (k ? 1 : -1);
            const Mm from = at(p, rest.x / p.mm_x + aside, 0.88),
                     to = at(p, rest.x / p.mm_x + aside * 0.8, 0.15);
            const double rest_down = k ? dice.in(0.4, 0.6) : 0.05, move_down = k ? 0.05 : dice.in(0.3, 0.5);
            const double go = std::max(rest_down, move_down) + dice.in(0.15, 0.3),
                         stop = go + dice.in(0.6, 1.0);
            t.fingers.push_back(still(rest_down, stop + dice.in(0.2, 0.5), rest));
            t.fingers.push_back(finger(move_down, stop + dice.in(0.05, 0.2),
                                       Way().at(move_down, from).at(go, from).at(stop, to), dice.in(13, 15),
                                       0.4));
        }
    }
    // One finger crosses the pad while a second rests, lifts and comes back;
    // then one of them clicks.
    for (const char *pad : {"pad5mmw", "clickpad10", "tiny12"}) {
        const PadModel &p = corpus_pad(pad);
        Take &t = b.add(p.name, "cross-rest-return-click", "");
        Dice dice(t.seed);
        const Mm rest = at(p, dice.in(0.25, 0.35), dice.in(0.65, 0.78));
        const double lift = dice.in(0.7, 0.9), back = lift + dice.in(0.15, 0.4);
        t.fingers.push_back(still(0.05, lift, rest));
        t.fingers.push_back(still(back, 2.6, plus(rest, dice.in(-1, 1), dice.in(-1, 1))));
        t.fingers.push_back(finger(
            0.3, 2.0, Way().at(0.3, at(p, 0.12, 0.12)).at(0.45, at(p, 0.12, 0.12)).at(1.9, at(p, 0.88, 0.6)),
            11));
        t.clicks.push_back({2.25, 2.42});
    }
    // A slow spread, 18 to 63 mm in 1.1 s (less on a small pad), turning
    // about 9 degrees, the second finger landing 30 ms after the first; and
    // the pinch back.
    for (const char *pad : {"clickpad10", "pad5mmw", "fine40", "tiny12"}) {
        const PadModel &p = corpus_pad(pad);
        const double far = std::min(63.0, p.mm_x * 0.7);
        for (int spread = 1; spread >= 0; --spread) {
            Take &t = b.add(p.name, spread ? "slow-spread-late-finger" : "slow-pinch-late-finger",
                            spread ? "zoom-in" : "zoom-out");
            Dice dice(t.seed);
            two_finger_pinch(t, dice, at(p, 0.5, 0.5), -25 + dice.in(-10, 10), spread ? 18 : far,
                             spread ? far : 18, 9, 1.1, 0.4, 0.03);
        }
    }
    // Two-finger taps twice on the same spot, the second landing where the
    // first lifted (its slots keep their positions: none is sent); and a
    // scroll beginning there.
    for (const char *pad : {"pad15", "clickpad10"}) {
        const PadModel &p = corpus_pad(pad);
        for (int scroll = 0; scroll < 2; ++scroll) {
            Take &t = b.add(p.name, scroll ? "tap-then-scroll-in-place" : "double-tap2-in-place",
                            scroll ? "tap-2 scroll-down" : "tap-2 tap-2");
            Dice dice(t.seed);
            const Mm a = at(p, 0.4, 0.3), c = at(p, 0.6, 0.3);
            t.fingers.push_back(still(0.05, 0.15, a));
            t.fingers.push_back(still(0.06, 0.16, c));
            Finger a2 = scroll ? finger(0.45, 1.1, Way().at(0.45, a).at(0.6, a).at(0.95, plus(a, 0, 22)))
                               : still(0.45, 0.55, a);
            Finger c2 = scroll ? finger(0.46, 1.1, Way().at(0.46, c).at(0.6, c).at(0.95, plus(c, 0, 22)))
                               : still(0.46, 0.56, c);
            a2.lands_in_place = c2.lands_in_place = true;
            t.fingers.push_back(a2);
            t.fingers.push_back(c2);
        }
    }
    {
        // A spread, lifted, and a pinch.
        const PadModel &p = corpus_pad("pad15");
        Take &t = b.add(p.name, "spread-then-pinch", "zoom-in zoom-out");
        Dice dice(t.seed);
        two_finger_pinch(t, dice, at(p, 0.5, 0.5), -35, 20, 55, 4, 0.5, 0.4);
        Take second;
        second.pad = p.name;
        two_finger_pinch(second, dice, at(p, 0.5, 0.5), -35, 55, 20, -4, 0.5, 0.4);
        for (Finger f : second.fingers) {
            for (Way::Key &k : f.way.keys)
                k.t += 1.2;
            f.down += 1.2;
            f.up += 1.2;
            t.fingers.push_back(f);
        }
    }
    {
        // A scroll whose finger the pad loses and finds again half way.
        for (int gap = 0; gap < 2; ++gap) {
            Take &t = b.add("pad15", gap ? "scroll-split-gap" : "scroll-split", "scroll-down");
            Dice dice(t.seed);
            two_finger_move(t, dice, at(corpus_pad("pad15"), 0.5, 0.25), Mm{0, 30}, 0.05, 0.45, false);
            t.fingers[0].id_splits.push_back(0.4);
            t.fingers[0].split_gap = gap;
        }
    }
}

}  // namespace

std::string take_file_name(const Take &take) { return take.pad + "." + take.name + ".evemu"; }

std::vector<Take> corpus_takes()
{
    Builder b;
    for (const char *pad : {"clickpad10", "pad15", "old2", "fine40"})
        scrolls(b, pad, false);
    for (const char *pad : {"pad5mmw", "tiny12"})
        scrolls(b, pad, true);
    for (const char *pad : {"pad15", "clickpad10", "tiny12"})
        flicks(b, pad, false);
    flicks(b, "pad15", true);
    for (const char *pad : {"clickpad10", "pad15", "fine40"})
        pinches(b, pad, false);
    for (const char *pad : {"pad5mmw", "pad15"})
        pinches(b, pad, true);
    for (const char *pad : {"clickpad10", "fine40", "pad5"})
        rotations(b, pad);
    for (const char *pad : {"clickpad10", "pad5", "old2", "tiny12", "pad15"}) {
        taps(b, pad, 2, 2);
        taps(b, pad, 3, 1);
    }
    for (const char *pad : {"pad5", "clickpad10", "old2"}) {
        rests(b, pad, 2, 3.8);
        rests(b, pad, 3, 2.0);
        rests(b, pad, 1, 2.0);
    }
    for (const char *pad : {"clickpad10", "pad5mmw", "pad5", "tiny12"})
        rest_and_point(b, pad);
    for (const char *pad : {"pad15", "clickpad10", "fine40", "pad5"})
        thumbs(b, pad);
    for (const char *pad : {"clickpad10", "pad15", "pad5mmw"})
        palms(b, pad);
    for (const char *pad : {"clickpad10", "pad15", "fine40", "old2"})
        swipes(b, pad);
    for (const char *pad : {"clickpad10", "old2", "tiny12"})
        one_finger(b, pad);
    reported(b);
    return b.takes;
}
