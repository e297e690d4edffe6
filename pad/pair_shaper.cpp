#include "pair_shaper.h"

#include <cmath>
#include <limits>

namespace {

// Far beyond any pad, far within int64: positions are formed in 64 bits
// and saturated to 32 only when published.
constexpr double kInt64Safe = 1e15;

int64_t to_int64(double v)
{
    if (!(v == v))
        return 0;
    if (v > kInt64Safe)
        v = kInt64Safe;
    if (v < -kInt64Safe)
        v = -kInt64Safe;
    return std::llround(v);
}

int32_t saturate(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// How far zoom and turn steps may go before the pair would no longer lie
// from lower left to upper right.
constexpr int64_t kMostInwardSteps = kFrameHalfSpan - 8;
constexpr int64_t kMostOutwardSteps = 100000;

int64_t clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

int32_t saturate_to_int32(double v) { return saturate(to_int64(v)); }

void PairShaper::begin(double x, double y)
{
    ax_ = to_int64(x);
    ay_ = to_int64(y);
    tx_ = ty_ = zoom_ = turn_ = nudge_ = 0;
}

void PairShaper::translate(double dx, double dy)
{
    tx_ = to_int64(dx);
    ty_ = to_int64(dy);
}

void PairShaper::zoom(double steps)
{
    zoom_ = clamp(follow_steps(zoom_, steps), -kMostInwardSteps, kMostOutwardSteps);
}

void PairShaper::rotate(double steps)
{
    turn_ = clamp(follow_steps(turn_, steps), -kMostInwardSteps, kMostInwardSteps);
}

void PairShaper::out(int32_t out[4]) const
{
    // Finger 1 lower left, finger 2 upper right (y grows downward). A spread
    // moves finger 1 left and down and finger 2 right and up; a clockwise
    // turn moves finger 1 left and up and finger 2 right and down.
    const int64_t span = int64_t{2} * kFrameHalfSpan;
    const int64_t x1 = ax_ + tx_ - zoom_ - turn_ + nudge_;
    const int64_t y1 = ay_ + ty_ + zoom_ - turn_;
    const int64_t x2 = ax_ + span + tx_ + zoom_ + turn_;
    const int64_t y2 = ay_ - span + ty_ - zoom_ + turn_;
    out[0] = saturate(x1);
    out[1] = saturate(y1);
    out[2] = saturate(x2);
    out[3] = saturate(y2);
}

int32_t follow_with_hysteresis(int32_t held, double value, double band)
{
    if (value > held + band)
        return saturate_to_int32(value - band);
    if (value < held - band)
        return saturate_to_int32(value + band);
    return held;
}

int64_t follow_steps(int64_t held, double value)
{
    if (!(value == value))
        return held;
    if (value >= static_cast<double>(held) + 1)
        return to_int64(std::floor(value));
    if (value <= static_cast<double>(held) - 1)
        return to_int64(std::ceil(value));
    return held;
}
