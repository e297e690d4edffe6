// What a touchpad device says about itself (name, ids, properties, event
// codes, axis ranges) and the kernel events it sends, in plain records that
// come either from a live device or from a recording.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kPadAbsCount = 0x40;   // ABS_CNT
constexpr int kPadTypeCount = 0x20;  // EV_CNT

struct PadEvent {
    int64_t time_us = 0;  // event time in microseconds
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

struct PadAxis {
    bool present = false;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t fuzz = 0;
    int32_t flat = 0;
    int32_t resolution = 0;  // units per millimetre, 0 when unknown
};

struct PadDescription {
    std::string name;
    uint16_t bustype = 0, vendor = 0, product = 0, version = 0;
    std::vector<uint8_t> props;                             // INPUT_PROP_* bitmask bytes
    std::array<std::vector<uint8_t>, kPadTypeCount> codes;  // per event type, code bitmask bytes
    std::array<PadAxis, kPadAbsCount> abs;

    bool has_prop(int prop) const;
    void set_code(int type, int code);
    void set_prop(int prop);
};
