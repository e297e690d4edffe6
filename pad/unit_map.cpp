#include "unit_map.h"

#include <algorithm>

AxisMap::AxisMap(const PadAxis &axis, double low, double high)
    : valid_(axis.present && axis.maximum > axis.minimum),
      min_(axis.minimum),
      max_(axis.maximum),
      res_(axis.resolution > 0 ? axis.resolution : 0),
      low_(low),
      high_(high)
{
    // The mapping is linear: out = offset_ + value * scale_.
    if (res_ > 0) {
        const double mid = (static_cast<double>(min_) + max_) / 2;
        scale_ = kUnitsPerMm / res_;
        offset_ = (low_ + high_) / 2 - mid * scale_;
    } else if (valid_) {
        scale_ = (high_ - low_) / (static_cast<double>(max_) - min_);
        offset_ = low_ - min_ * scale_;
    }
}

double AxisMap::mm_from_min(int32_t value) const
{
    if (!valid_ || res_ <= 0)
        return -1;
    return (static_cast<double>(clamp(value)) - min_) / res_;
}

double AxisMap::length_mm() const
{
    if (!valid_ || res_ <= 0)
        return -1;
    return (static_cast<double>(max_) - min_) / res_;
}

double two_finger_x(double x) { return (275.0 * x - 412500.0) / 4650.0 + 5.0; }

double two_finger_y(double y) { return (175.0 * y - 218750.0) / 4095.0 + 75.0; }

int64_t engine_two_finger_x(int32_t x) { return (275 * int64_t{x} - 412500) / 4650 + 5; }

int64_t engine_two_finger_y(int32_t y) { return (175 * int64_t{y} - 218750) / 4095 + 75; }

int32_t map_by_range(const PadAxis &axis, int32_t value, int32_t top)
{
    if (!axis.present || axis.maximum <= axis.minimum)
        return 0;
    const int64_t v = std::min(std::max(value, axis.minimum), axis.maximum);
    const int64_t span = static_cast<int64_t>(axis.maximum) - axis.minimum;
    return static_cast<int32_t>(((v - axis.minimum) * top + span / 2) / span);
}
