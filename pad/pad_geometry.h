// A touchpad's contacts in millimetres: positions, contact size and
// pressure, whatever units and resolution the device reports them in.
//
// Positions are millimetres on the one-finger scale (its units divided by
// 40): true millimetres around the centre on a pad that reports its
// resolution, the classic 100 x 76 mm pad stretched over the range on one
// that does not. Thresholds written in millimetres thus mean the same on a
// pad of 12 units/mm and on one of 40.
#pragma once

#include <cstdint>

#include "pad_description.h"
#include "unit_map.h"

class PadGeometry {
public:
    PadGeometry() = default;
    explicit PadGeometry(const PadDescription &description);

    double x_mm(int32_t x) const { return map_x_.map(x) / kUnitsPerMm; }
    double y_mm(int32_t y) const { return map_y_.map(y) / kUnitsPerMm; }
    const AxisMap &map_x() const { return map_x_; }
    const AxisMap &map_y() const { return map_y_; }
    // Millimetres from the bottom edge of a position y_mm() gave, or -1 when
    // the pad has no y range.
    double above_bottom_mm(double y_mm) const { return map_y_.valid() ? bottom_mm_ - y_mm : -1; }
    double height_mm() const { return bottom_mm_ - top_mm_; }

    // The contact's length in millimetres (touch major, else the tool's
    // width major), or -1 when the pad measures none.
    double size_mm(int32_t touch_major, int32_t width_major) const;
    bool measures_size() const { return size_code_ >= 0; }
    int size_code() const { return size_code_; }
    // The contact's pressure as a share of the axis (0..1), or -1 when the
    // pad measures none per contact.
    double pressure_share(int32_t pressure) const;
    bool measures_pressure() const { return pressure_.present && pressure_.maximum > pressure_.minimum; }

private:
    AxisMap map_x_, map_y_;
    double top_mm_ = 0, bottom_mm_ = 0;
    int size_code_ = -1;       // ABS_MT_TOUCH_MAJOR or ABS_MT_WIDTH_MAJOR
    double size_unit_mm_ = 0;  // millimetres per unit of that axis
    PadAxis pressure_;
};
