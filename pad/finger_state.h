// One finger state as the block carries it: the single contact and the
// finger record that a touchpad driver writes at every report.
#pragma once

#include <cstdint>

struct FingerState {
    int32_t x = 0, y = 0, z = 0, w = 0;
    int32_t x2_1 = 0, y2_1 = 0, x2_2 = 0, y2_2 = 0;
    int32_t x3_1 = 0, y3_1 = 0;
    int32_t f = 0;
    int32_t l = 0, r = 0, u = 0, d = 0, m = 0;
    int32_t multi[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};
