// Device coordinates onto the scales the gesture engine's thresholds are
// written for.
//
// The one-finger scale is the classic touchpad range, x 1472..5472 and
// y 1408..4448, at 40 units per millimetre (a 100 x 76 mm pad). A pad that
// reports its resolution is mapped by millimetres around the centre, so the
// same finger movement gives the same numbers on a small and on a large pad;
// a pad that does not is stretched by its range onto the classic one.
// Values outside the range the device declares are clamped first.
//
// The two-finger scale is the engine's coarser one. It follows from the
// one-finger scale through the engine's own pairing formula, so that a
// finger lifted from a two-finger contact lands where the engine expects it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pad_description.h"

constexpr double kUnitsPerMm = 40.0;
// The largest one-finger value published (250 m at 40 units/mm).
constexpr double kFarthestUnit = 1e7;
constexpr double kScaleMinX = 1472, kScaleMaxX = 5472;
constexpr double kScaleMinY = 1408, kScaleMaxY = 4448;

class AxisMap {
public:
    AxisMap() = default;
    // axis: the device's range and resolution; low, high: the target range.
    AxisMap(const PadAxis &axis, double low, double high);
    // The device value, clamped to the declared range, on the one-finger
    // scale. 0 means "no position" to the engine: a very large pad stays
    // above it. Axes a broken recording claims across the whole 32-bit range
    // stay within a few hundred metres, far within every sum the engine
    // forms.
    double map(int32_t value) const
    {
        if (!valid_)
            return (low_ + high_) / 2;
        const double out = offset_ + clamp(value) * scale_;
        return std::min(std::max(out, 1.0), kFarthestUnit);
    }
    // The device value clamped to the declared range.
    int32_t clamp(int32_t value) const { return valid_ ? std::min(std::max(value, min_), max_) : value; }
    // Millimetres from the declared minimum, or -1 without resolution.
    double mm_from_min(int32_t value) const;
    // Length of the axis in millimetres, or -1 without resolution.
    double length_mm() const;
    bool valid() const { return valid_; }

private:
    bool valid_ = false;
    int32_t min_ = 0, max_ = 0, res_ = 0;
    double low_ = 0, high_ = 0;
    double scale_ = 0, offset_ = 0;
};

// One-finger scale to the two-finger scale (fractions kept; the caller rounds).
double two_finger_x(double x);
double two_finger_y(double y);
// A published one-finger position on the two-finger scale exactly as the
// engine brings it there (integer arithmetic, quotients truncated).
int64_t engine_two_finger_x(int32_t x);
int64_t engine_two_finger_y(int32_t y);

// A device value of another quantity (pressure, width) onto 0..top by range.
int32_t map_by_range(const PadAxis &axis, int32_t value, int32_t top);
