// The pure translation core: a touchpad's kernel events in, the finger state
// a driver would publish out. No I/O and no clock: event times come in with
// the events. Multitouch protocol B (slots), protocol A (converted to slots),
// semi-multitouch bounding boxes, BTN_TOOL_* finger counts for pads that
// track fewer slots than fingers, clickpad button areas and SYN_DROPPED.
#pragma once

#include <cstdint>

#include "finger_state.h"
#include "pad_description.h"
#include "pair_shaper.h"
#include "unit_map.h"

struct mtdev;

constexpr int kPadMaxSlots = 16;
// Width reported when the pad measures none: a typical finger.
constexpr int32_t kTypicalFingerWidth = 4;
// Pressure reported for a touch when the pad measures none.
constexpr int32_t kTypicalFingerPressure = 40;
// Clickpads: a click whose lowest finger is in the bottom strip (12 mm, or
// the bottom 15% without resolution) and on the right half is a right click.
constexpr double kButtonAreaMm = 12.0;
constexpr double kButtonAreaShare = 0.15;
// The one-finger position follows the finger only once it is more than this
// far (2.5 mm on the one-finger scale) from what was last published.
constexpr double kOneFingerHysteresis = 2.5 * kUnitsPerMm;

class PadTranslator {
public:
    explicit PadTranslator(const PadDescription &description);
    ~PadTranslator();
    PadTranslator(const PadTranslator &) = delete;
    PadTranslator &operator=(const PadTranslator &) = delete;

    // One kernel event. True when it completed a report: state() then holds
    // the finger state to publish. The events between a SYN_DROPPED and the
    // next SYN_REPORT are an incomplete report and are thrown away (the
    // device layer then feeds the resynchronised state).
    bool feed(const PadEvent &event);
    const FingerState &state() const { return state_; }
    // No finger and no button: what to publish when the pad goes away or a
    // replay ends. Positions keep their last values.
    const FingerState &lift_all();

    bool protocol_a() const { return mtdev_ != nullptr; }
    bool semi_mt() const { return semi_mt_; }
    bool clickpad() const { return clickpad_; }

private:
    struct Slot {
        int32_t tracking_id = -1;
        int32_t x = 0, y = 0;
        int32_t major = 0, pressure = 0;
        bool has_x = false, has_y = false;
        uint64_t order = 0;  // when the finger came down
    };

    bool apply(const PadEvent &event);
    void apply_key(uint16_t code, int32_t value);
    void apply_abs(uint16_t code, int32_t value);
    void finish_report();
    int active_fingers(int *order, int max) const;
    int32_t width_of(const Slot &slot) const;
    int32_t pressure_of(const Slot &slot) const;
    bool right_button_area(const int *order, int n) const;

    PadDescription desc_;
    mtdev *mtdev_ = nullptr;
    bool multitouch_ = false;
    bool semi_mt_ = false;
    bool clickpad_ = false;
    AxisMap map_x_, map_y_;

    Slot slots_[kPadMaxSlots];
    int slot_count_ = 1;
    int current_slot_ = 0;
    uint64_t next_order_ = 1;
    bool dropping_ = false;

    // single-touch and shared values
    bool touch_ = false;
    bool touch_seen_ = false;  // the pad sends BTN_TOUCH
    bool tools_[6] = {false, false, false, false, false, false};
    int32_t tool_width_ = -1;
    int32_t pressure_ = 0;
    bool left_ = false, right_ = false, middle_ = false;
    bool forward_ = false, back_ = false;
    bool extra_[8] = {false, false, false, false, false, false, false, false};
    bool left_was_down_ = false;
    bool click_is_right_ = false;

    // the published shape of the two- and three-finger positions
    PairShaper pair_;
    uint64_t pair_ids_[2] = {0, 0};
    bool three_held_ = false;
    uint64_t one_id_ = 0;  // the finger the one-finger position follows
    int prev_f_ = 0;

    FingerState state_;
};
