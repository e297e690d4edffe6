// Shapes the two published finger positions of a two-finger contact on the
// engine's two-finger scale.
//
// The engine scrolls only when the two fingers' movements within one report
// agree (vertically within 2 units, horizontally exactly). Real fingers never
// move in perfect step, so the pair is published as its centroid plus a held
// separation: while the separation stays within kSeparationDeadband of the
// held one, both fingers move by exactly the centroid's movement; once it
// leaves that band (a pinch, a rotation, one finger resting while the other
// moves) the true positions are published and become the new held
// separation. Scrolling fingers thus move as one, and zoom and rotation still
// see the separation change, in steps of a few units.
#pragma once

#include <cstdint>

constexpr double kSeparationDeadband = 3.0;

// Shapes one finger's position held still within a small band, for the
// three-finger position (a resting hand makes no new reports).
constexpr double kThreeFingerDeadband = 1.5;

class PairShaper {
public:
    void reset() { active_ = false; }
    // x1..y2: the two fingers on the two-finger scale, in their stable order.
    // out: x2_1, y2_1, x2_2, y2_2 to publish.
    void shape(double x1, double y1, double x2, double y2, int32_t out[4]);

private:
    bool active_ = false;
    int32_t sep_x_ = 0, sep_y_ = 0;
};

// Moves held to the rounded value when value has left the band around it.
int32_t hold_within(int32_t held, double value, double band);
// Classic hysteresis: held moves only by what value exceeds the band.
int32_t follow_with_hysteresis(int32_t held, double value, double band);
