// Who counts as a finger: resting fingers, thumbs and palms left out of f,
// a thumb or a resting finger that moves counted again, a tracking ID that
// splits kept as the same finger. Driven through the translator with
// contacts reported at 125 Hz on a 100 x 60 mm pad.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <functional>
#include <limits>
#include <vector>

#include "pad_translator.h"

namespace {

// 100 x 60 mm at 10 units/mm, touch size and pressure axes, four slots.
PadDescription pad()
{
    PadDescription d;
    auto axis = [&](int code, int min, int max, int res) {
        PadAxis &a = d.abs[code];
        a.present = true;
        a.minimum = min;
        a.maximum = max;
        a.resolution = res;
    };
    axis(ABS_MT_POSITION_X, 0, 1000, 10);
    axis(ABS_MT_POSITION_Y, 0, 600, 10);
    axis(ABS_MT_SLOT, 0, 3, 0);
    axis(ABS_MT_TRACKING_ID, 0, 65535, 0);
    axis(ABS_MT_TOUCH_MAJOR, 0, 400, 0);
    axis(ABS_MT_PRESSURE, 0, 255, 0);
    axis(ABS_MT_TOOL_TYPE, 0, 2, 0);
    return d;
}

// A contact as a test describes it: millimetres, size and pressure.
struct Touch {
    double x, y;
    double size_mm = 9;
    int pressure = 60;
    int tool = MT_TOOL_FINGER;
};

// Feeds one report every 8 ms: the contacts each slot holds (none: lifted),
// and collects the published states.
class Hand {
public:
    Hand() : t_(pad()) {}
    explicit Hand(const PadDescription &d) : t_(d) {}

    // One report with these slots' contacts; a slot absent from the list has
    // no contact. new_ids: slots whose contact is new although the slot was
    // held at the last report.
    const FingerState &report(const std::vector<std::pair<int, Touch>> &slots,
                              const std::vector<int> &new_ids = {})
    {
        for (int s = 0; s < 4; ++s) {
            bool held = false;
            for (const auto &[slot, touch] : slots) {
                if (slot != s)
                    continue;
                held = true;
                ev(EV_ABS, ABS_MT_SLOT, s);
                bool fresh = ids_[s] < 0;
                for (int n : new_ids)
                    fresh = fresh || n == s;
                if (fresh)
                    ev(EV_ABS, ABS_MT_TRACKING_ID, ids_[s] = next_id_++);
                ev(EV_ABS, ABS_MT_POSITION_X, static_cast<int>(touch.x * 10));
                ev(EV_ABS, ABS_MT_POSITION_Y, static_cast<int>(touch.y * 10));
                ev(EV_ABS, ABS_MT_TOUCH_MAJOR, static_cast<int>(touch.size_mm * 10));
                ev(EV_ABS, ABS_MT_PRESSURE, touch.pressure);
                ev(EV_ABS, ABS_MT_TOOL_TYPE, touch.tool);
            }
            if (!held && ids_[s] >= 0) {
                ev(EV_ABS, ABS_MT_SLOT, s);
                ev(EV_ABS, ABS_MT_TRACKING_ID, ids_[s] = -1);
            }
        }
        ev(EV_SYN, SYN_REPORT, 0);
        now_us_ += 8000;
        return t_.state();
    }
    // n reports, the slots' contacts given by the report's index.
    const FingerState &reports(int n, const std::function<std::vector<std::pair<int, Touch>>(int)> &at)
    {
        for (int i = 0; i < n; ++i)
            report(at(i));
        return t_.state();
    }

private:
    void ev(int type, int code, int value)
    {
        t_.feed(PadEvent{now_us_, static_cast<uint16_t>(type), static_cast<uint16_t>(code), value});
    }

    PadTranslator t_;
    int64_t now_us_ = 0;
    int ids_[4] = {-1, -1, -1, -1};
    int next_id_ = 10;
};

TEST(TouchStack, AFingerStillWhileAnotherMovesRestsAndMovingAgainCountsAgain)
{
    Hand h;
    const Touch rest{30, 40};
    h.reports(20, [&](int) { return std::vector<std::pair<int, Touch>>{{0, rest}}; });
    // A second finger lands and moves 24 mm up past the resting one.
    const FingerState &moving = h.reports(30, [&](int i) {
        return std::vector<std::pair<int, Touch>>{{0, rest}, {1, {50, 50.0 - 0.8 * i}}};
    });
    EXPECT_EQ(moving.f, 1) << "the resting finger is left out";
    EXPECT_LT(moving.y, 3100) << "the one finger published is the moving one (the resting one is at 3328)";
    // The resting one starts moving too: a finger again.
    const FingerState &both = h.reports(8, [&](int i) {
        return std::vector<std::pair<int, Touch>>{{0, {30.0 + 0.6 * i, 40}}, {1, {50, 26}}};
    });
    EXPECT_EQ(both.f, 2);
}

struct SetAsideCase {
    const char *what;
    Touch other;
    int f;
};

TEST(TouchStack, ThumbsAndPalmsAreNoFingers)
{
    const Touch finger{50, 25};
    const SetAsideCase cases[] = {
        {"a finger", {20, 30}, 2},
        {"a contact landed in the bottom strip", {20, 55}, 1},
        {"a wide contact", {20, 30, 19}, 1},
        {"a heavy contact beside a light finger", {20, 30, 9, 200}, 1},
        {"a palm", {20, 30, 34}, 1},
        {"a contact the pad calls a palm", {20, 30, 9, 60, MT_TOOL_PALM}, 1},
    };
    for (const SetAsideCase &c : cases) {
        Hand h;
        const FingerState &s = h.reports(12, [&](int) {
            return std::vector<std::pair<int, Touch>>{{0, finger}, {1, c.other}};
        });
        EXPECT_EQ(s.f, c.f) << c.what;
    }
    // Two fingers that both press hard are two fingers.
    Hand hard;
    EXPECT_EQ(
        hard.reports(
                12,
                [](int) {
                    return std::vector<std::pair<int, Touch>>{{0, {50, 25, 9, 160}}, {1, {20, 30, 9, 170}}};
                })
            .f,
        2);
    // A thumb that moves like a finger is one; a palm that moves is not.
    Hand thumb;
    EXPECT_EQ(thumb
                  .reports(24,
                           [](int i) {
                               return std::vector<std::pair<int, Touch>>{{0, {20.0 + 0.5 * i, 55, 19}}};
                           })
                  .f,
              1);
    Hand palm;
    EXPECT_EQ(palm.reports(24,
                           [](int i) {
                               return std::vector<std::pair<int, Touch>>{{0, {20.0 + 0.5 * i, 30, 34}}};
                           })
                  .f,
              0);
}

TEST(TouchStack, ANewTrackingIdWhereTheFingerWasKeepsTheGestureGoing)
{
    Hand h;
    auto scroll = [](int i, double from) {
        return std::vector<std::pair<int, Touch>>{{0, {40, from + 0.6 * i}}, {1, {60, from + 0.6 * i}}};
    };
    h.reports(6, [&](int) { return scroll(0, 10); });
    const FingerState before = h.reports(20, [&](int i) { return scroll(i, 10); });
    ASSERT_EQ(before.f, 2);
    // The pad loses finger 1 and finds it at once under a new ID, a little
    // further on.
    const FingerState split = h.report(scroll(21, 10), {0});
    EXPECT_EQ(split.f, 2);
    EXPECT_GT(split.y2_1, before.y2_1) << "the scroll goes on where it was, not from a new start";
    EXPECT_EQ(split.y2_1 - before.y2_1, split.y2_2 - before.y2_2);
}

TEST(TouchStack, TwoFingersMovingWithoutAGestureShowTheEngineNoTap)
{
    Hand h;
    const FingerState landed = h.reports(6, [](int) {
        return std::vector<std::pair<int, Touch>>{{0, {40, 30}}, {1, {60, 30}}};
    });
    // At right angles to each other: no gesture, but no tap either.
    const FingerState moved = h.reports(8, [](int i) {
        return std::vector<std::pair<int, Touch>>{{0, {40, 30.0 + 0.5 * i}}, {1, {60.0 + 0.5 * i, 30}}};
    });
    EXPECT_EQ(moved.f, 2);
    EXPECT_EQ(moved.x2_1 - landed.x2_1, kNoTapUnits);
    EXPECT_EQ(moved.y2_1, landed.y2_1);
    EXPECT_EQ(moved.x2_2, landed.x2_2);
    EXPECT_EQ(moved.y2_2, landed.y2_2);
}

// A recording may claim axes across the whole 32-bit range: every published
// value is then saturated, never wrapped.
TEST(TouchStack, FullRangeAxesSaturateInsteadOfWrapping)
{
    PadDescription d = pad();
    for (int code : {ABS_MT_POSITION_X, ABS_MT_POSITION_Y}) {
        d.abs[code].minimum = std::numeric_limits<int32_t>::min();
        d.abs[code].maximum = std::numeric_limits<int32_t>::max();
        d.abs[code].resolution = 1;
    }
    const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    PadTranslator t(d);
    std::vector<FingerState> states;
    int64_t now = 0;
    auto ev = [&](int type, int code, int32_t value) {
        PadEvent e{now, static_cast<uint16_t>(type), static_cast<uint16_t>(code), value};
        if (t.feed(e))
            states.push_back(t.state());
    };
    // One finger far left, one far right, then both across the pad and back.
    const int32_t xs[4][2] = {{lo, hi}, {lo, hi}, {hi, lo}, {lo + 1, hi - 1}};
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 6; ++i, now += 8000) {
            for (int s = 0; s < 2; ++s) {
                ev(EV_ABS, ABS_MT_SLOT, s);
                if (round == 0 && i == 0)
                    ev(EV_ABS, ABS_MT_TRACKING_ID, s + 1);
                ev(EV_ABS, ABS_MT_POSITION_X, xs[round][s]);
                ev(EV_ABS, ABS_MT_POSITION_Y, xs[round][1 - s]);
            }
            ev(EV_SYN, SYN_REPORT, 0);
        }
    }
    ASSERT_FALSE(states.empty());
    for (const FingerState &s : states) {
        if (s.f == 2) {
            EXPECT_LT(s.x2_1, s.x2_2) << "finger 1 stays left of finger 2";
            EXPECT_GT(s.y2_1, s.y2_2);
        }
    }
    // And one finger far right is published right of one far left.
    PadTranslator single(d);
    int64_t t1 = 0;
    auto finger_at = [&](int32_t x) {
        for (int i = 0; i < 6; ++i, t1 += 8000) {
            single.feed(PadEvent{t1, EV_ABS, ABS_MT_SLOT, 0});
            if (i == 0)
                single.feed(PadEvent{t1, EV_ABS, ABS_MT_TRACKING_ID, 7});
            single.feed(PadEvent{t1, EV_ABS, ABS_MT_POSITION_X, x});
            single.feed(PadEvent{t1, EV_ABS, ABS_MT_POSITION_Y, 0});
            single.feed(PadEvent{t1, EV_SYN, SYN_REPORT, 0});
        }
        const int32_t x_out = single.state().x;
        single.feed(PadEvent{t1, EV_ABS, ABS_MT_TRACKING_ID, -1});
        single.feed(PadEvent{t1, EV_SYN, SYN_REPORT, 0});
        t1 += 8000;
        return x_out;
    };
    EXPECT_LT(finger_at(lo), finger_at(hi));
}

}  // namespace
