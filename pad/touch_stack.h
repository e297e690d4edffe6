// Which of the contacts on the pad are fingers taking part in a gesture.
//
// Every contact the pad tracks gets a role, decided from its size, its
// pressure, where it landed and how it moves against the others:
//   pending  just landed; counted once it has stayed a moment, so that a
//            thumb or a palm arriving is not a finger for a report or two;
//   finger   takes part;
//   resting  stays still while another finger moves (a finger left lying
//            on the pad while the other one points, or one that lands
//            while another already moves);
//   thumb    heavier or wider than a finger, or landed in the bottom strip
//            of the pad; a thumb or a resting finger that starts moving
//            like a finger is a finger again;
//   palm     very wide or heavy, or reported as a palm: never a finger.
// Only fingers count for the gesture engine. While a gesture holds the
// fingers (a decided two-finger gesture, three fingers on the move) no
// finger is set aside and no contact joins: a finger lagging behind the
// others or a thumb brushing the pad does not break the gesture.
//
// Pads whose two positions are a bounding box (semi-multitouch) say nothing
// about single contacts: there every contact is a finger once it has
// landed.
#pragma once

#include <cstdint>

#include "motion_history.h"

enum class ContactRole : uint8_t { kPending, kFinger, kResting, kThumb, kPalm };

// Thresholds, in millimetres and milliseconds.
// A new contact counts as a finger once it has been down this long.
constexpr int64_t kLandingMs = 24;
// Size and pressure are judged over a contact's first moments: a finger
// pressing the button later grows heavier without being a thumb.
constexpr int64_t kClassifyMs = 150;
// The window over which movement is measured.
constexpr int64_t kMotionWindowMs = 250;
// Still: moved less than this over the window; moving: at least kMoverMm.
constexpr double kStillMm = 1.0;
constexpr double kMoverMm = 5.0;
// Distance a resting finger, and a thumb, moves from where it was set
// aside to count as a finger again.
constexpr double kReviveMm = 3.0;
constexpr double kThumbReviveMm = 6.0;
// A contact landing this close to the bottom edge is taken for a thumb.
constexpr double kThumbZoneMm = 10.0;
// Contact length (major axis) and pressure (share of the axis) of a thumb,
// and of a palm.
constexpr double kThumbSizeMm = 16.0;
constexpr double kPalmSizeMm = 30.0;
constexpr double kThumbPressure = 0.5;
constexpr double kThumbPressureRatio = 1.5;  // against another contact's
constexpr double kPalmPressure = 0.8;
// A tracking ID that changes in a slot while the contact stays within this
// distance is the same finger (the pad lost and found it again).
constexpr double kSplitMm = 8.0;

constexpr int kStackSlots = 16;

// One contact as the pad reports it at a report.
struct ContactReading {
    int slot = 0;
    bool located = false;      // the pad gave it a position
    bool new_id = false;       // its tracking ID changed at this report
    PointMm at;                // millimetres (pad_geometry.h)
    double above_bottom = -1;  // millimetres from the bottom edge, -1 unknown
    double size_mm = -1;       // contact length, -1 unknown
    double pressure = -1;      // share of the axis, -1 unknown
    bool palm_tool = false;    // the pad says it is a palm
};

struct Contact {
    uint64_t order = 0;  // landing order; 0 for an empty slot
    ContactRole role = ContactRole::kPending;
    int64_t landed_us = 0;
    bool located = false;
    bool landed_low = false;  // landed in the bottom strip
    bool revived = false;     // was set aside and moved like a finger since
    PointMm at;
    PointMm anchor;  // where it was set aside (revival is measured from here)
    double max_size_mm = -1, max_pressure = -1;
    MotionHistory history;
};

class TouchStack {
public:
    // judge_contacts: false for a pad whose positions are a bounding box.
    explicit TouchStack(bool judge_contacts = true) : judge_(judge_contacts) {}

    // One report: every contact the pad tracks now (others have lifted).
    void update(int64_t now_us, const ContactReading *readings, int n);
    // A gesture holds the current fingers.
    void set_locked(bool locked) { locked_ = locked; }
    bool locked() const { return locked_; }

    // Slots of the fingers, in the order they landed.
    int fingers(int *slots, int max) const;
    // When the earliest contact still landing comes to be judged, or -1.
    int64_t next_landing_us() const;
    // Contacts of any role.
    int tracked() const { return held_count_; }
    const Contact &contact(int slot) const { return contacts_[slot]; }
    // How far the contact in slot moved over the window ending now (since
    // it landed, when that is later).
    PointMm moved(int slot, int64_t now_us) const;
    void clear();

private:
    void begin(Contact &c, const ContactReading &r, int64_t now_us);
    static void forget(Contact &c);
    void judge(int slot, int64_t now_us, bool another_moves, bool still);
    bool heavy_or_wide(const Contact &c) const;

    bool judge_;
    bool locked_ = false;
    uint64_t next_order_ = 1;
    Contact contacts_[kStackSlots];
    int held_[kStackSlots] = {};  // slots holding a contact, in the pad's order
    int held_count_ = 0;
};
