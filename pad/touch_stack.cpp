#include "touch_stack.h"

#include <algorithm>

// A lifted contact: its slot is free (its history is cleared when the slot
// holds a contact again).
void TouchStack::forget(Contact &c)
{
    c.order = 0;
    c.located = false;
}

void TouchStack::clear()
{
    for (Contact &c : contacts_)
        forget(c);
    held_count_ = 0;
    locked_ = false;
}

void TouchStack::begin(Contact &c, const ContactReading &r, int64_t now_us)
{
    c.order = next_order_++;
    c.role = ContactRole::kPending;
    c.landed_us = now_us;
    c.landed_low = r.located && r.above_bottom >= 0 && r.above_bottom <= kThumbZoneMm;
    c.anchor = r.at;
    c.max_size_mm = -1;
    c.max_pressure = -1;
    c.revived = false;
    c.history.clear();
}

PointMm TouchStack::moved(int slot, int64_t now_us) const
{
    const Contact &c = contacts_[slot];
    const int64_t from = std::max(c.landed_us, now_us - kMotionWindowMs * 1000);
    return c.history.moved_since(from);
}

// Wider than a finger, or heavier than a finger pressing and much heavier
// than another contact on the pad (a pad whose fingers all press hard has
// no thumbs by pressure).
bool TouchStack::heavy_or_wide(const Contact &c) const
{
    if (c.max_size_mm >= kThumbSizeMm)
        return true;
    if (c.max_pressure < kThumbPressure)
        return false;
    for (const Contact &o : contacts_)
        if (&o != &c && o.order != 0 && o.max_pressure >= 0 &&
            c.max_pressure >= kThumbPressureRatio * o.max_pressure)
            return true;
    return false;
}

void TouchStack::update(int64_t now_us, const ContactReading *readings, int n)
{
    bool present[kStackSlots] = {};
    const int before = held_count_;
    int before_slots[kStackSlots];
    std::copy(held_, held_ + before, before_slots);
    held_count_ = 0;
    for (int i = 0; i < n; ++i) {
        const ContactReading &r = readings[i];
        if (r.slot < 0 || r.slot >= kStackSlots || present[r.slot])
            continue;
        Contact &c = contacts_[r.slot];
        present[r.slot] = true;
        held_[held_count_++] = r.slot;
        // A new tracking ID close to where the slot's contact just was is
        // the same finger, lost and found again by the pad.
        const bool same_finger =
            c.order != 0 && r.new_id && c.located && r.located && length(r.at - c.at) <= kSplitMm;
        if (c.order == 0 || (r.new_id && !same_finger))
            begin(c, r, now_us);
        if (r.located && !c.located)
            c.anchor = r.at;  // its first position
        c.located = r.located;
        if (r.located) {
            c.at = r.at;
            c.history.add(now_us, r.at);
        }
        if (now_us - c.landed_us <= kClassifyMs * 1000) {
            c.max_size_mm = std::max(c.max_size_mm, r.size_mm);
            c.max_pressure = std::max(c.max_pressure, r.pressure);
        }
        if (judge_ && (r.palm_tool || r.size_mm >= kPalmSizeMm || c.max_pressure >= kPalmPressure))
            c.role = ContactRole::kPalm;
    }
    for (int i = 0; i < before; ++i)
        if (!present[before_slots[i]])
            forget(contacts_[before_slots[i]]);

    // How far each contact moved over the window, and how many fingers
    // (landed or landing) move, as it stood before this report's changes of
    // role. While a gesture holds the fingers no role turns on movement, and
    // neither does a contact's alone.
    double moved_mm[kStackSlots];
    bool moving[kStackSlots];
    int movers = 0;
    const bool motion_matters = !locked_ && held_count_ > 1;
    for (int i = 0; i < held_count_; ++i) {
        const int s = held_[i];
        const Contact &c = contacts_[s];
        moved_mm[s] = c.located && motion_matters ? length(moved(s, now_us)) : kStillMm;
        moving[s] = c.located && (c.role == ContactRole::kFinger || c.role == ContactRole::kPending) &&
                    moved_mm[s] >= kMoverMm;
        movers += moving[s];
    }
    for (int i = 0; i < held_count_; ++i) {
        const int s = held_[i];
        judge(s, now_us, movers - moving[s] > 0, contacts_[s].located && moved_mm[s] < kStillMm);
    }
}

void TouchStack::judge(int slot, int64_t now_us, bool another_moves, bool still)
{
    Contact &c = contacts_[slot];
    const int64_t age_us = now_us - c.landed_us;

    switch (c.role) {
    case ContactRole::kPalm: break;
    case ContactRole::kPending:
        if (age_us < kLandingMs * 1000)
            break;
        c.anchor = c.at;
        c.role = ContactRole::kFinger;
        if (judge_ && (heavy_or_wide(c) || c.landed_low))
            c.role = ContactRole::kThumb;
        else if (judge_ && (locked_ || (another_moves && still)))
            c.role = ContactRole::kResting;
        break;
    case ContactRole::kFinger:
        if (!judge_ || locked_)
            break;
        if (age_us <= kClassifyMs * 1000 && heavy_or_wide(c) && !c.revived) {
            c.role = ContactRole::kThumb;
            c.anchor = c.at;
        } else if (another_moves && still) {
            c.role = ContactRole::kResting;
            c.anchor = c.at;
        }
        break;
    case ContactRole::kResting:
    case ContactRole::kThumb: {
        const double revive = c.role == ContactRole::kThumb ? kThumbReviveMm : kReviveMm;
        if (!locked_ && c.located && length(c.at - c.anchor) >= revive) {
            c.role = ContactRole::kFinger;
            c.revived = true;
        }
        break;
    }
    }
}

int TouchStack::fingers(int *slots, int max) const
{
    int n = 0;
    for (int i = 0; i < held_count_ && n < max; ++i)
        if (contacts_[held_[i]].role == ContactRole::kFinger)
            slots[n++] = held_[i];
    // In landing order: a handful of fingers, sorted by insertion.
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && contacts_[slots[j]].order < contacts_[slots[j - 1]].order; --j)
            std::swap(slots[j], slots[j - 1]);
    return n;
}

int64_t TouchStack::next_landing_us() const
{
    int64_t next = -1;
    for (int i = 0; i < held_count_; ++i) {
        const Contact &c = contacts_[held_[i]];
        if (c.role == ContactRole::kPending) {
            const int64_t at = c.landed_us + kLandingMs * 1000;
            next = next < 0 ? at : std::min(next, at);
        }
    }
    return next;
}
