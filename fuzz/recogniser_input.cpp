#include "recogniser_input.h"

#include <cmath>
#include <cstring>

#include "parameter_table.h"

namespace {

using Member = std::atomic<int32_t> SettingsSnapshot::*;

struct NamedMember {
    const char *name;
    Member member;
};

// clang-format off
#define FIELD(n) {#n, &SettingsSnapshot::n}
// clang-format on
const NamedMember kMembers[kSnapshotFieldCount] = {
    FIELD(TouchpadOff),
    FIELD(ButtonCheckBox),
    FIELD(ButtonLeftComboBox),
    FIELD(ButtonMiddleComboBox),
    FIELD(ButtonRightComboBox),
    FIELD(TappingCheckBox),
    FIELD(TwoFTComboBox),
    FIELD(ThreeFTComboBox),
    FIELD(DetectTapIntr),
    FIELD(DetectKT_310TapIntr),
    FIELD(VerticalScrollingCheckBox),
    FIELD(HorizontalScrollingCheckBox),
    FIELD(ScrollingSpeedSlider),
    FIELD(AutoScrollCheckBox),
    FIELD(ZoomCheckBox),
    FIELD(ZoomOutComboBox),
    FIELD(ZoomInComboBox),
    FIELD(ZoomSlider),
    FIELD(RotationCheckBox),
    FIELD(ClockwiseComboBox),
    FIELD(CounterclosewiseComboBox),
    FIELD(RotationSlider),
    FIELD(DragCheckBox),
    FIELD(LiftReleaseRadioButton),
    FIELD(TapAgainRadioButton),
    FIELD(TapReleaseRadioButton),
    {"DragSlider", nullptr},
    FIELD(SwipePageCheckBox),
    FIELD(FastKeyCheckBox),
    FIELD(MyHomeFileCheckBox),
    FIELD(SwitchWindowsCheckBox),
    FIELD(CovergestureCheckBox),
    FIELD(CovergestureSlider),
    FIELD(CovergestureComboBox),
    FIELD(DetectGestureIntr),
    FIELD(DetectCovergestureIntr),
    FIELD(MaxTapTime),
};
#undef FIELD

SnapshotField g_fields[kSnapshotFieldCount];

// Realistic ranges of a sample's values.
constexpr int32_t kPadMax = 8191;   // x, y, x3_1, y3_1
constexpr int32_t kPairMax = 1023;  // x2_*, y2_*
constexpr int32_t kFingersMax = 5;  // f: 4 and 5 select no positions
constexpr int32_t kZMax = 255;
constexpr int32_t kWMax = 15;
constexpr int32_t kDtMax = 255;

int32_t read_value(ByteReader &in, bool wide, int32_t lo, int32_t hi, int bytes)
{
    return wide ? in.i32() : in.in_range(lo, hi, bytes);
}

void put(std::string &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i) & 0xff);
}

void write_value(std::string &out, bool wide, int32_t v, int32_t lo, int32_t hi, int bytes)
{
    if (wide) {
        put(out, static_cast<uint32_t>(v), 4);
        return;
    }
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    put(out, static_cast<uint32_t>(v - lo), bytes);
}

double read_drag_slider(ByteReader &in, bool wide)
{
    if (!wide)
        return 1.0 + in.u8() / 127.5;
    uint32_t bits = in.u32();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace

const SnapshotField *snapshot_fields()
{
    if (!g_fields[0].name) {
        for (int i = 0; i < kSnapshotFieldCount; ++i) {
            const ParameterDescriptor *row = find_parameter(kCtl2Parameters, kMembers[i].name);
            if (!row)
                row = find_parameter(kCtlParameters, kMembers[i].name);
            g_fields[i] = SnapshotField{kMembers[i].name, kMembers[i].member,
                                        row ? static_cast<int32_t>(row->minimum) : 0,
                                        row ? static_cast<int32_t>(row->maximum) : 1};
        }
    }
    return g_fields;
}

void read_setting(ByteReader &in, bool wide, SettingsSnapshot &snap)
{
    const SnapshotField &f = snapshot_fields()[in.u8() % kSnapshotFieldCount];
    if (f.member)
        (snap.*f.member).store(read_value(in, wide, f.lo, f.hi, 1));
    else
        snap.DragSlider.store(read_drag_slider(in, wide));
}

void read_settings(ByteReader &in, bool wide, SettingsSnapshot &snap)
{
    const SnapshotField *fields = snapshot_fields();
    for (int i = 0; i < kSnapshotFieldCount; ++i) {
        if (fields[i].member)
            (snap.*fields[i].member).store(read_value(in, wide, fields[i].lo, fields[i].hi, 1));
        else
            snap.DragSlider.store(read_drag_slider(in, wide));
    }
}

void read_sample(ByteReader &in, bool wide, FuzzSample &s)
{
    SampleRecord &r = s.rec;
    r = SampleRecord{};
    s.dt_ms = read_value(in, wide, 0, kDtMax, 1);
    r.f = read_value(in, wide, 0, kFingersMax, 1);
    if (wide) {
        r.l = in.i32();
        r.r = in.i32();
        r.m = in.i32();
        r.u = in.i32();
        r.d = in.i32();
    } else {
        uint32_t b = in.u8();
        r.l = b & 1;
        r.r = b >> 1 & 1;
        r.m = b >> 2 & 1;
        r.u = b >> 3 & 1;
        r.d = b >> 4 & 1;
    }
    r.z = read_value(in, wide, 0, kZMax, 1);
    r.w = read_value(in, wide, 0, kWMax, 1);
    if (r.f == 1) {
        r.x = read_value(in, wide, 0, kPadMax, 2);
        r.y = read_value(in, wide, 0, kPadMax, 2);
    } else if (r.f == 2) {
        r.x2_1 = read_value(in, wide, 0, kPairMax, 2);
        r.y2_1 = read_value(in, wide, 0, kPairMax, 2);
        r.x2_2 = read_value(in, wide, 0, kPairMax, 2);
        r.y2_2 = read_value(in, wide, 0, kPairMax, 2);
    } else if (r.f == 3) {
        r.x3_1 = read_value(in, wide, 0, kPadMax, 2);
        r.y3_1 = read_value(in, wide, 0, kPadMax, 2);
    }
}

void write_settings(std::string &out, bool wide, const SettingsSnapshot &snap)
{
    const SnapshotField *fields = snapshot_fields();
    for (int i = 0; i < kSnapshotFieldCount; ++i) {
        if (fields[i].member) {
            write_value(out, wide, (snap.*fields[i].member).load(), fields[i].lo, fields[i].hi, 1);
        } else if (wide) {
            float f = static_cast<float>(snap.DragSlider.load());
            uint32_t bits;
            memcpy(&bits, &f, sizeof bits);
            put(out, bits, 4);
        } else {
            double v = std::lround((snap.DragSlider.load() - 1.0) * 127.5);
            put(out, static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v), 1);
        }
    }
}

void write_sample(std::string &out, bool wide, const FuzzSample &s)
{
    const SampleRecord &r = s.rec;
    out += static_cast<char>(kOpSample);
    write_value(out, wide, s.dt_ms, 0, kDtMax, 1);
    write_value(out, wide, r.f, 0, kFingersMax, 1);
    if (wide) {
        for (int32_t b : {r.l, r.r, r.m, r.u, r.d})
            put(out, static_cast<uint32_t>(b), 4);
    } else {
        put(out, (r.l & 1) | (r.r & 1) << 1 | (r.m & 1) << 2 | (r.u & 1) << 3 | (r.d & 1) << 4, 1);
    }
    write_value(out, wide, r.z, 0, kZMax, 1);
    write_value(out, wide, r.w, 0, kWMax, 1);
    if (r.f == 1) {
        write_value(out, wide, r.x, 0, kPadMax, 2);
        write_value(out, wide, r.y, 0, kPadMax, 2);
    } else if (r.f == 2) {
        for (int32_t v : {r.x2_1, r.y2_1, r.x2_2, r.y2_2})
            write_value(out, wide, v, 0, kPairMax, 2);
    } else if (r.f == 3) {
        write_value(out, wide, r.x3_1, 0, kPadMax, 2);
        write_value(out, wide, r.y3_1, 0, kPadMax, 2);
    }
}
