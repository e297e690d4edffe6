#include "pad_geometry.h"

#include <linux/input.h>

PadGeometry::PadGeometry(const PadDescription &d)
{
    const bool multitouch = d.abs[ABS_MT_POSITION_X].present && d.abs[ABS_MT_POSITION_Y].present;
    const PadAxis &ax = d.abs[multitouch ? ABS_MT_POSITION_X : ABS_X];
    const PadAxis &ay = d.abs[multitouch ? ABS_MT_POSITION_Y : ABS_Y];
    map_x_ = AxisMap(ax, kScaleMinX, kScaleMaxX);
    map_y_ = AxisMap(ay, kScaleMinY, kScaleMaxY);
    if (map_y_.valid()) {
        top_mm_ = map_y_.map(ay.minimum) / kUnitsPerMm;
        bottom_mm_ = map_y_.map(ay.maximum) / kUnitsPerMm;
    }
    pressure_ = d.abs[ABS_MT_PRESSURE];

    // Contact sizes are in the units of the position axes unless the size
    // axis says otherwise (its own resolution).
    for (int code : {ABS_MT_TOUCH_MAJOR, ABS_MT_WIDTH_MAJOR}) {
        const PadAxis &a = d.abs[code];
        if (!multitouch || !a.present || a.maximum <= 0)
            continue;
        if (a.resolution > 0)
            size_unit_mm_ = 1.0 / a.resolution;
        else if (ax.resolution > 0)
            size_unit_mm_ = 1.0 / ax.resolution;
        else if (map_x_.valid())
            size_unit_mm_ =
                (kScaleMaxX - kScaleMinX) / kUnitsPerMm / (static_cast<double>(ax.maximum) - ax.minimum);
        else
            continue;
        size_code_ = code;
        break;
    }
}

double PadGeometry::size_mm(int32_t touch_major, int32_t width_major) const
{
    if (size_code_ < 0)
        return -1;
    const int32_t units = size_code_ == ABS_MT_TOUCH_MAJOR ? touch_major : width_major;
    return units > 0 ? units * size_unit_mm_ : -1;
}

double PadGeometry::pressure_share(int32_t pressure) const
{
    if (!measures_pressure())
        return -1;
    const double span = static_cast<double>(pressure_.maximum) - pressure_.minimum;
    const double share = (static_cast<double>(pressure) - pressure_.minimum) / span;
    return share < 0 ? 0 : share > 1 ? 1 : share;
}
