// What two fingers do together: scroll, pinch (or spread) or rotate,
// decided from how each finger moved over a short window, and then held for
// as long as the same two fingers stay down.
//
// A gesture is decided only once both fingers have moved over the window,
// each by at least a millimetre, and then by the directions they went:
//   scroll  the same way (within 40 degrees), their centre 2 mm or more,
//           the slower finger at least a quarter as far as the faster;
//   pinch   opposite ways (more than 120 degrees apart), the slower at
//           least a tenth as far as the faster, along the line
//           between them more than across it, and the distance between
//           them changed by 4 mm or more;
//   rotate  opposite ways, across that line more than along it, and the
//           line turned by an arc of 4 mm or more.
// A finger lagging behind the other, or going a little faster, is still a
// scroll; a thumb moving less than the finger is still a pinch.
// Until then the published pair stands still, so two fingers resting,
// drifting or landing one after the other send the engine nothing; once
// either has moved kNoTapMm from where the pair began, the pair shows the
// engine a movement that is no gesture, so that the touch is no tap. The
// window slides: slow drift never adds up to a gesture, and a slow, real
// gesture is decided within a quarter of a second of its movement.
//
// A scroll is published along one axis, the one it started on, and turns
// to the other only when the fingers clearly go that way; a pinch in steps
// of kZoomStepMm of distance change, a rotation in steps of kTurnStepDeg.
#pragma once

#include <cstdint>

#include "motion_history.h"
#include "pair_shaper.h"
#include "touch_stack.h"

enum class PairMode : uint8_t { kUndecided, kScroll, kPinch, kRotate };

constexpr double kBothMoveMm = 1.0;
// The slower finger's share of the faster one's movement: in a scroll, and
// in a pinch or a rotation (where a thumb may move far less than the
// finger).
constexpr double kScrollShare = 0.25;
constexpr double kOppositeShare = 0.1;
constexpr double kSameWayCosine = 0.766;  // 40 degrees
constexpr double kOppositeCosine = -0.5;  // 120 degrees
constexpr double kLeadShare = 1.5;        // along against across, or the other way
constexpr double kScrollMm = 2.0;
constexpr double kPinchMm = 4.0;
constexpr double kTurnArcMm = 4.0;
constexpr double kNoTapMm = 3.0;
constexpr double kZoomStepMm = 2.0;
constexpr double kTurnStepDeg = 3.0;
// A scroll turns to the other axis when over the window the fingers went
// that way three times as far as along the locked one, and at least 5 mm.
constexpr double kAxisSwitchMm = 5.0;

// Two fingers at the start and at the end of a window.
struct PairWindow {
    PointMm from1, from2, to1, to2;
};

// The gesture the window shows. With turns_known false (a bounding box, not
// two fingers) the line's turn is not judged.
PairMode classify_pair(const PairWindow &w, bool turns_known);

class PairGesture {
public:
    // A new pair, finger 1 published at (x, y) on the two-finger scale.
    void begin(int64_t now_us, double x, double y, bool turns_known);
    // The two fingers at a report: decides, then moves the published pair.
    void update(int64_t now_us, const Contact &a, const Contact &b);
    PairMode mode() const { return mode_; }
    void out(int32_t out[4]) const { shaper_.out(out); }

private:
    void decide(int64_t now_us, const Contact &a, const Contact &b);
    void follow_scroll(int64_t now_us, const Contact &a, const Contact &b);

    PairMode mode_ = PairMode::kUndecided;
    bool turns_known_ = true;
    bool no_tap_shown_ = false;
    PointMm began1_, began2_;  // where the fingers were when the pair began
    bool began_known_ = false;
    int64_t begun_us_ = 0;
    PairWindow base_;  // the window the decision was made on
    bool vertical_ = true;
    double locked_from_ = 0;     // centre on the locked axis (mm) when it was locked
    double published_from_ = 0;  // published translation (units) when it was locked
    double tx_ = 0, ty_ = 0;     // published translation, units
    PairShaper shaper_;
};
