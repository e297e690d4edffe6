#include "pair_shaper.h"

#include <cmath>

namespace {

void shape_axis(bool fresh, double a, double b, int32_t &sep, int32_t &out_a, int32_t &out_b)
{
    if (fresh || std::fabs((b - a) - sep) > kSeparationDeadband) {
        out_a = static_cast<int32_t>(std::lround(a));
        out_b = static_cast<int32_t>(std::lround(b));
        sep = out_b - out_a;
        return;
    }
    const double centre = (a + b) / 2;
    out_a = static_cast<int32_t>(std::lround(centre - sep / 2.0));
    out_b = out_a + sep;
}

}  // namespace

void PairShaper::shape(double x1, double y1, double x2, double y2, int32_t out[4])
{
    const bool fresh = !active_;
    shape_axis(fresh, x1, x2, sep_x_, out[0], out[2]);
    shape_axis(fresh, y1, y2, sep_y_, out[1], out[3]);
    active_ = true;
}

int32_t hold_within(int32_t held, double value, double band)
{
    if (std::fabs(value - held) > band)
        return static_cast<int32_t>(std::lround(value));
    return held;
}

int32_t follow_with_hysteresis(int32_t held, double value, double band)
{
    if (value > held + band)
        return static_cast<int32_t>(std::lround(value - band));
    if (value < held - band)
        return static_cast<int32_t>(std::lround(value + band));
    return held;
}
