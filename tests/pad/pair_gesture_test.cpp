// How two fingers' movement over a window is judged, whatever way the hand
// lies on the pad, and what the published pair then shows the engine.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_gesture.h"

namespace {

PointMm turned(PointMm p, double deg)
{
    const double r = deg * 3.14159265358979323846 / 180;
    return {p.x * std::cos(r) - p.y * std::sin(r), p.x * std::sin(r) + p.y * std::cos(r)};
}

struct WindowCase {
    const char *what;
    // Finger 1 starts at the origin, finger 2 20 mm to its right; each
    // moves by its vector (millimetres).
    PointMm d1, d2;
    PairMode mode;
};

TEST(PairGesture, TheWindowIsJudgedByTheWaysTheFingersWentWhereverTheHandLies)
{
    const WindowCase cases[] = {
        {"scroll", {0, 6}, {0, 6}, PairMode::kScroll},
        {"scroll, one finger lagging", {0, 6}, {0.5, 2}, PairMode::kScroll},
        {"scroll, one a little ahead and aside", {1, 7}, {-0.5, 5}, PairMode::kScroll},
        {"spread", {-3, 0}, {3, 0}, PairMode::kPinch},
        {"pinch, the thumb moving a fifth", {1, 0}, {-5, 0.5}, PairMode::kPinch},
        {"spread turning 9 degrees", {-3, 0.4}, {3, -0.5}, PairMode::kPinch},
        {"rotation", {0, 2.5}, {0, -2.5}, PairMode::kRotate},
        {"rotation, one finger slower", {0.3, 1.2}, {-0.2, -4}, PairMode::kRotate},
        {"resting and moving", {0, 0.3}, {0, 8}, PairMode::kUndecided},
        {"resting, the other moving away", {-0.4, 0}, {8, 0}, PairMode::kUndecided},
        {"trembling", {0.4, -0.3}, {-0.2, 0.5}, PairMode::kUndecided},
        {"at right angles", {0, 4}, {4, 0}, PairMode::kUndecided},
        {"opposite but too little to tell", {-1.2, 0}, {1.2, 0}, PairMode::kUndecided},
    };
    for (const WindowCase &c : cases) {
        for (double deg : {0.0, 37.0, 90.0, 145.0, 233.0}) {
            const PointMm from1 = turned({0, 0}, deg), from2 = turned({20, 0}, deg);
            const PairWindow w{from1, from2, from1 + turned(c.d1, deg), from2 + turned(c.d2, deg)};
            EXPECT_EQ(classify_pair(w, true), c.mode) << c.what << " at " << deg << " degrees";
        }
    }
    // A bounding box's corners tell no turn.
    const PairWindow turning{{0, 0}, {20, 0}, {0, 3}, {20, -3}};
    EXPECT_EQ(classify_pair(turning, false), PairMode::kUndecided);
}

// The published pair as the engine reads it: finger 1 lower left of finger
// 2, and per step the sign pattern of the gesture.
TEST(PairGesture, ThePublishedPairMovesInTheEnginesPatternOfEachGesture)
{
    struct Case {
        const char *what;
        void (*act)(PairShaper &, double);
        int dx1, dy1, dx2, dy2;  // signs per step
    } cases[] = {
        {"spread", [](PairShaper &s, double v) { s.zoom(v); }, -1, 1, 1, -1},
        {"pinch", [](PairShaper &s, double v) { s.zoom(-v); }, 1, -1, -1, 1},
        {"clockwise", [](PairShaper &s, double v) { s.rotate(v); }, -1, -1, 1, 1},
        {"counter-clockwise", [](PairShaper &s, double v) { s.rotate(-v); }, 1, 1, -1, -1},
        {"scroll down", [](PairShaper &s, double v) { s.translate(0, v); }, 0, 1, 0, 1},
    };
    for (const Case &c : cases) {
        PairShaper s;
        s.begin(120, 140);
        int32_t prev[4];
        s.out(prev);
        EXPECT_LT(prev[0], prev[2]) << c.what;
        EXPECT_GT(prev[1], prev[3]) << c.what;
        for (int step = 1; step <= 40; ++step) {
            c.act(s, step * 0.5);  // half steps: every other one moves
            int32_t now[4];
            s.out(now);
            const int d[4] = {now[0] - prev[0], now[1] - prev[1], now[2] - prev[2], now[3] - prev[3]};
            const int want[4] = {c.dx1, c.dy1, c.dx2, c.dy2};
            for (int i = 0; i < 4; ++i)
                EXPECT_TRUE(d[i] == 0 || (d[i] > 0) == (want[i] > 0))
                    << c.what << " step " << step << " value " << i;
            EXPECT_LT(now[0], now[2]) << c.what << ": the pair never turns over";
            EXPECT_GT(now[1], now[3]) << c.what;
            std::copy(now, now + 4, prev);
        }
    }
    // A trembling value on a step's edge sends nothing back and forth.
    PairShaper s;
    s.begin(0, 0);
    int32_t a[4], b[4];
    s.zoom(3.2);
    s.out(a);
    s.zoom(2.6);
    s.zoom(3.1);
    s.out(b);
    EXPECT_TRUE(std::equal(a, a + 4, b));
}

}  // namespace
