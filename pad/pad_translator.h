// The pure translation core: a touchpad's kernel events in, the finger state
// a driver would publish out. No I/O and no clock: event times come in with
// the events. Multitouch protocol B (slots), protocol A (converted to slots),
// semi-multitouch bounding boxes, BTN_TOOL_* finger counts for pads that
// track fewer slots than fingers, clickpad button areas and SYN_DROPPED.
//
// Between the contacts and what is published stands a touchpad stack: the
// touch stack (touch_stack.h) tells fingers from resting fingers, thumbs and
// palms, and only fingers count in f and in the two- and three-finger
// positions; two fingers are published as the gesture they make
// (pair_gesture.h), three as their centre once it moves.
#pragma once

#include <cstdint>

#include "finger_state.h"
#include "pad_description.h"
#include "pad_geometry.h"
#include "pair_gesture.h"
#include "touch_stack.h"

struct mtdev;

constexpr int kPadMaxSlots = 16;
// Width reported when the pad measures none: a typical finger.
constexpr int32_t kTypicalFingerWidth = 4;
// The widest a finger is published: what is wider is a thumb or a palm,
// which the engine never sees.
constexpr int32_t kWidestFinger = 8;
// Pressure reported for a touch when the pad measures none.
constexpr int32_t kTypicalFingerPressure = 40;
// Clickpads: a click whose lowest finger is in the bottom strip (12 mm, or
// the bottom 15% without resolution) and on the right half is a right click.
constexpr double kButtonAreaMm = 12.0;
constexpr double kButtonAreaShare = 0.15;
// The one-finger position follows the finger only once it is more than this
// far (2.5 mm on the one-finger scale) from what was last published.
constexpr double kOneFingerHysteresis = 2.5 * kUnitsPerMm;
// Three fingers' centre is published once it has moved this far over the
// motion window, and then follows with one unit of hysteresis.
constexpr double kThreeFingerMoveMm = 3.0;
constexpr double kThreeFingerHysteresis = 1.0;

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
    // A finger that has landed counts only after a moment; a pad may send
    // nothing meanwhile (a still finger, changes within the axis' fuzz).
    // next_change_us says when (on the events' clock) the state may change
    // without a new event, -1 when it will not; tick judges the contacts
    // again at that time and is true when the state to publish changed.
    int64_t next_change_us() const;
    bool tick(int64_t now_us);
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
        int32_t major = 0, width_major = 0, pressure = 0, tool = 0;
        bool has_x = false, has_y = false;
        bool new_id = false;  // the tracking ID changed since the last report
    };

    bool apply(const PadEvent &event);
    void apply_key(uint16_t code, int32_t value);
    void apply_abs(uint16_t code, int32_t value);
    void finish_report(int64_t now_us);
    bool single_touch_down() const;
    int read_contacts(ContactReading *out) const;
    int finger_count(int64_t now_us, int fingers);
    int32_t width_of(const Slot &slot) const;
    int32_t pressure_of(const Slot &slot) const;
    bool right_button_area() const;
    void publish_one(int slot);
    void publish_pair(int64_t now_us, const int *slots, int n);
    void publish_three(int64_t now_us, const int *slots, int n);

    PadDescription desc_;
    mtdev *mtdev_ = nullptr;
    bool multitouch_ = false;
    bool semi_mt_ = false;
    bool clickpad_ = false;
    PadGeometry geo_;

    Slot slots_[kPadMaxSlots];
    int slot_count_ = 1;
    int current_slot_ = 0;
    bool dropping_ = false;
    int64_t last_report_us_ = 0;

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

    TouchStack stack_;
    ContactReading readings_[kPadMaxSlots];  // this report's contacts
    // Fingers the pad counts in BTN_TOOL_* beyond those it tracks, once they
    // have stayed as long as a landing finger must.
    int extra_fingers_ = 0;
    int64_t extra_rising_us_ = -1;

    // the published shape of the one-, two- and three-finger positions
    uint64_t one_id_ = 0;  // the finger the one-finger position follows
    bool touch_had_one_ = false;
    PairGesture pair_;
    uint64_t pair_ids_[2] = {0, 0};
    bool three_on_ = false, three_moving_ = false;
    int64_t three_begun_us_ = 0;
    int prev_f_ = 0;

    FingerState state_;
};
