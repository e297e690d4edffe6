#include "touch_stack.h"

#include <algorithm>

namespace {

int64_t ms_since(int64_t since_us, int64_t now_us) { return (now_us - since_us) / 1000; }

}  // namespace

void TouchStack::clear()
{
    for (Contact &c : contacts_)
        c = Contact{};
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
        if (&o != &c && o.order != 0 && o.max_pressure >= 0 && c.max_pressure >= kThumbPressureRatio * o.max_pressure)
            return true;
    return false;
}

void TouchStack::update(int64_t now_us, const ContactReading *readings, int n)
{
    bool present[kStackSlots] = {};
    for (int i = 0; i < n; ++i) {
        const ContactReading &r = readings[i];
        if (r.slot < 0 || r.slot >= kStackSlots)
            continue;
        Contact &c = contacts_[r.slot];
        present[r.slot] = true;
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
        if (ms_since(c.landed_us, now_us) <= kClassifyMs) {
            c.max_size_mm = std::max(c.max_size_mm, r.size_mm);
            c.max_pressure = std::max(c.max_pressure, r.pressure);
        }
        if (judge_ && (r.palm_tool || r.size_mm >= kPalmSizeMm || c.max_pressure >= kPalmPressure))
            c.role = ContactRole::kPalm;
    }
    for (int s = 0; s < kStackSlots; ++s)
        if (!present[s])
            contacts_[s] = Contact{};

    // Who is moving, as it stood before this report's changes of role.
    bool moving[kStackSlots] = {};
    for (int s = 0; s < kStackSlots; ++s) {
        const Contact &c = contacts_[s];
        moving[s] = c.order != 0 && c.located &&
                    (c.role == ContactRole::kFinger || c.role == ContactRole::kPending) &&
                    length(moved(s, now_us)) >= kMoverMm;
    }
    for (int s = 0; s < kStackSlots; ++s)
        if (contacts_[s].order != 0)
            judge(s, now_us, moving);
}

void TouchStack::judge(int slot, int64_t now_us, const bool *moving)
{
    Contact &c = contacts_[slot];
    bool another_moves = false;
    for (int s = 0; s < kStackSlots; ++s)
        another_moves = another_moves || (s != slot && moving[s]);
    const bool still = c.located && length(moved(slot, now_us)) < kStillMm;
    const int64_t age = ms_since(c.landed_us, now_us);

    switch (c.role) {
    case ContactRole::kPalm: break;
    case ContactRole::kPending:
        if (age < kLandingMs)
            break;
        c.anchor = c.at;
        if (!judge_)
            c.role = ContactRole::kFinger;
        else if (heavy_or_wide(c) || c.landed_low)
            c.role = ContactRole::kThumb;
        else if (locked_ || (another_moves && still))
            c.role = ContactRole::kResting;
        else
            c.role = ContactRole::kFinger;
        break;
    case ContactRole::kFinger:
        if (!judge_ || locked_)
            break;
        if (age <= kClassifyMs && heavy_or_wide(c) && !c.revived) {
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
    for (int s = 0; s < kStackSlots && n < max; ++s)
        if (contacts_[s].order != 0 && contacts_[s].role == ContactRole::kFinger)
            slots[n++] = s;
    std::sort(slots, slots + n, [this](int a, int b) { return contacts_[a].order < contacts_[b].order; });
    return n;
}

int64_t TouchStack::next_landing_us() const
{
    int64_t next = -1;
    for (const Contact &c : contacts_)
        if (c.order != 0 && c.role == ContactRole::kPending) {
            const int64_t at = c.landed_us + kLandingMs * 1000;
            next = next < 0 ? at : std::min(next, at);
        }
    return next;
}

int TouchStack::tracked() const
{
    int n = 0;
    for (const Contact &c : contacts_)
        n += c.order != 0;
    return n;
}
