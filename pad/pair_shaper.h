// The two finger positions published for a two-finger contact, on the
// engine's two-finger scale.
//
// The engine judges two fingers record by record: it scrolls only while
// both fingers' movements agree (vertically within 2 units, horizontally
// exactly), zooms only while the pair lies from lower left to upper right
// (or level) and each finger moves along that line, and rotates only while
// the pair lies on such a diagonal and the fingers move across it, each in
// the sign pattern of its side. Real fingers meet none of this reliably, in
// whatever way the hand lies on the pad. So vorellpad decides the gesture
// itself (pair_gesture.h) and publishes a pair that tells the engine just
// that gesture:
//   - finger 1 sits where the engine expects it (where the one finger was
//     before the second one landed, so the engine pairs the coordinates as
//     they are) and finger 2 kFrameHalfSpan * 2 units to its right and up;
//   - until a gesture is decided, nothing moves;
//   - a scroll moves both fingers by exactly the same amount;
//   - a pinch or a spread moves the two along the diagonal, one unit each
//     per step, toward or away from each other;
//   - a rotation moves them across the diagonal, one unit each per step;
//   - a pair that moved without making a gesture shows it with finger 1
//     alone moving right (see show_no_tap).
// Steps follow the real movement with one step of hysteresis, so a finger
// trembling on a step's edge does not send a step back and forth. The
// diagonal keeps its direction through any pinch or rotation a hand can
// make (the steps stop short of it turning over).
#pragma once

#include <cstdint>

constexpr int32_t kFrameHalfSpan = 30;
constexpr int32_t kNoTapUnits = 9;

class PairShaper {
public:
    // A new two-finger phase with finger 1 at (x, y).
    void begin(double x, double y);
    // Everything published so far moves by (dx, dy) units from the anchor.
    void translate(double dx, double dy);
    // The separation changed by this many steps since the gesture began
    // (positive: apart), or the pair turned by this many (positive:
    // clockwise on the pad).
    void zoom(double steps);
    void rotate(double steps);
    // Finger 1 moves right by kNoTapUnits, alone: a movement the engine
    // takes for no gesture at all, but which tells it the touch is no tap
    // (it moved more than its two-finger tap allows).
    void show_no_tap() { nudge_ = kNoTapUnits; }
    // x2_1, y2_1, x2_2, y2_2 to publish.
    void out(int32_t out[4]) const;

private:
    int64_t ax_ = 0, ay_ = 0;  // finger 1's anchor
    int64_t tx_ = 0, ty_ = 0;  // translation
    int64_t zoom_ = 0, turn_ = 0;
    int64_t nudge_ = 0;
};

// The double rounded to the nearest integer within the 32-bit range (NaN
// gives 0).
int32_t saturate_to_int32(double v);
// Classic hysteresis: held moves only by what value exceeds the band.
int32_t follow_with_hysteresis(int32_t held, double value, double band);
// Steps with one step of hysteresis: held follows value's whole steps and
// goes back only once value is a whole step behind it.
int64_t follow_steps(int64_t held, double value);
