#include "pair_gesture.h"

#include <algorithm>
#include <cmath>

#include "unit_map.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double dot(PointMm a, PointMm b) { return a.x * b.x + a.y * b.y; }

// The angle from u to v in radians, positive clockwise on the pad (its y
// grows downward).
double turn(PointMm u, PointMm v) { return std::atan2(u.x * v.y - u.y * v.x, dot(u, v)); }

PointMm centre(PointMm a, PointMm b) { return (a + b) * 0.5; }

// Two-finger units per millimetre on each axis.
double units_per_mm_x() { return two_finger_x(kUnitsPerMm) - two_finger_x(0); }
double units_per_mm_y() { return two_finger_y(kUnitsPerMm) - two_finger_y(0); }

}  // namespace

PairMode classify_pair(const PairWindow &w, bool turns_known)
{
    const PointMm d1 = w.to1 - w.from1, d2 = w.to2 - w.from2;
    const double m1 = length(d1), m2 = length(d2);
    const double lo = std::min(m1, m2), hi = std::max(m1, m2);
    if (lo < kBothMoveMm)
        return PairMode::kUndecided;

    const double cosine = dot(d1, d2) / (m1 * m2);
    if (cosine >= kSameWayCosine)
        return length((d1 + d2) * 0.5) >= kScrollMm && lo >= kScrollShare * hi ? PairMode::kScroll
                                                                               : PairMode::kUndecided;
    if (cosine > kOppositeCosine || lo < kOppositeShare * hi)
        return PairMode::kUndecided;
    // Opposite ways: along the line between them, or across it.
    const PointMm line = w.from2 - w.from1;
    const double sep0 = length(line), sep1 = length(w.to2 - w.to1);
    if (sep0 <= 0)
        return PairMode::kUndecided;
    const PointMm u = line * (1 / sep0), rel = d2 - d1;
    const double along = std::fabs(dot(rel, u));
    const double across = turns_known ? std::fabs(rel.x * u.y - rel.y * u.x) : 0;
    if (along >= kLeadShare * across && std::fabs(sep1 - sep0) >= kPinchMm)
        return PairMode::kPinch;
    const double arc = std::fabs(turn(line, w.to2 - w.to1)) * (sep0 + sep1) / 2;
    if (turns_known && across >= kLeadShare * along && arc >= kTurnArcMm)
        return PairMode::kRotate;
    return PairMode::kUndecided;
}

void PairGesture::begin(int64_t now_us, double x, double y, bool turns_known)
{
    mode_ = PairMode::kUndecided;
    turns_known_ = turns_known;
    no_tap_shown_ = false;
    began_known_ = false;
    begun_us_ = now_us;
    tx_ = ty_ = 0;
    shaper_.begin(x, y);
}

void PairGesture::decide(int64_t now_us, const Contact &a, const Contact &b)
{
    const int64_t from = std::max(begun_us_, now_us - kMotionWindowMs * 1000);
    const PairWindow w{a.history.at(from), b.history.at(from), a.at, b.at};
    mode_ = classify_pair(w, turns_known_);
    if (mode_ == PairMode::kUndecided)
        return;
    base_ = w;
    if (mode_ == PairMode::kScroll) {
        const PointMm moved = centre(w.to1, w.to2) - centre(w.from1, w.from2);
        vertical_ = std::fabs(moved.y) >= std::fabs(moved.x);
        const PointMm c = centre(w.from1, w.from2);
        locked_from_ = vertical_ ? c.y : c.x;
        published_from_ = 0;
    }
}

void PairGesture::follow_scroll(int64_t now_us, const Contact &a, const Contact &b)
{
    const PointMm now = centre(a.at, b.at);
    // Over the window: does the scroll go the other way now?
    const int64_t from = std::max(begun_us_, now_us - kMotionWindowMs * 1000);
    const PointMm then = centre(a.history.at(from), b.history.at(from));
    const PointMm recent = now - then;
    const double along = vertical_ ? recent.y : recent.x;
    const double across = vertical_ ? recent.x : recent.y;
    if (std::fabs(across) >= kAxisSwitchMm && std::fabs(across) >= 3 * std::fabs(along)) {
        vertical_ = !vertical_;
        published_from_ = vertical_ ? ty_ : tx_;
        locked_from_ = vertical_ ? then.y : then.x;
    }
    if (vertical_)
        ty_ = published_from_ + (now.y - locked_from_) * units_per_mm_y();
    else
        tx_ = published_from_ + (now.x - locked_from_) * units_per_mm_x();
    shaper_.translate(tx_, ty_);
}

void PairGesture::update(int64_t now_us, const Contact &a, const Contact &b)
{
    if (!began_known_) {
        began1_ = a.at;
        began2_ = b.at;
        began_known_ = true;
    }
    if (mode_ == PairMode::kUndecided)
        decide(now_us, a, b);
    switch (mode_) {
    case PairMode::kUndecided:
        if (!no_tap_shown_ && std::max(length(a.at - began1_), length(b.at - began2_)) >= kNoTapMm) {
            shaper_.show_no_tap();
            no_tap_shown_ = true;
        }
        break;
    case PairMode::kScroll: follow_scroll(now_us, a, b); break;
    case PairMode::kPinch: {
        const double sep0 = length(base_.from2 - base_.from1);
        shaper_.zoom((length(b.at - a.at) - sep0) / kZoomStepMm);
        break;
    }
    case PairMode::kRotate: {
        const double degrees = turn(base_.from2 - base_.from1, b.at - a.at) * 180 / kPi;
        shaper_.rotate(degrees / kTurnStepDeg);
        break;
    }
    }
}
