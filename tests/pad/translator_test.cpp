// The translation core on short synthetic event streams.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <cmath>
#include <vector>

#include "pad_translator.h"

namespace {

// A pad: x 0..1000, y 0..600 (optionally with resolution), two slots.
PadDescription pad(int res = 0, bool semi = false, bool clickpad = false, int slots = 2)
{
    PadDescription d;
    auto axis = [&](int code, int max, int r) {
        PadAxis &a = d.abs[code];
        a.present = true;
        a.maximum = max;
        a.resolution = r;
    };
    axis(ABS_X, 1000, res);
    axis(ABS_Y, 600, res);
    axis(ABS_MT_POSITION_X, 1000, res);
    axis(ABS_MT_POSITION_Y, 600, res);
    axis(ABS_MT_SLOT, slots - 1, 0);
    axis(ABS_MT_TRACKING_ID, 65535, 0);
    if (semi)
        d.set_prop(INPUT_PROP_SEMI_MT);
    if (clickpad)
        d.set_prop(INPUT_PROP_BUTTONPAD);
    return d;
}

// Events of one stream; "report()" ends a frame.
struct Stream {
    std::vector<PadEvent> events;
    Stream &abs(int code, int value) { return add(EV_ABS, code, value); }
    Stream &key(int code, int value) { return add(EV_KEY, code, value); }
    Stream &report() { return add(EV_SYN, SYN_REPORT, 0); }
    Stream &dropped() { return add(EV_SYN, SYN_DROPPED, 0); }
    Stream &down(int slot, int id, int x, int y)
    {
        return abs(ABS_MT_SLOT, slot)
            .abs(ABS_MT_TRACKING_ID, id)
            .abs(ABS_MT_POSITION_X, x)
            .abs(ABS_MT_POSITION_Y, y);
    }
    Stream &move(int slot, int x, int y)
    {
        return abs(ABS_MT_SLOT, slot).abs(ABS_MT_POSITION_X, x).abs(ABS_MT_POSITION_Y, y);
    }
    Stream &up(int slot) { return abs(ABS_MT_SLOT, slot).abs(ABS_MT_TRACKING_ID, -1); }
    Stream &add(int type, int code, int value)
    {
        PadEvent e;
        e.time_us = static_cast<int64_t>(events.size()) * 1000;
        e.type = static_cast<uint16_t>(type);
        e.code = static_cast<uint16_t>(code);
        e.value = value;
        events.push_back(e);
        return *this;
    }
};

// Feeds the stream; the finger states of every report, in order.
std::vector<FingerState> run(PadTranslator &t, const Stream &s)
{
    std::vector<FingerState> out;
    for (const PadEvent &e : s.events)
        if (t.feed(e))
            out.push_back(t.state());
    return out;
}

TEST(Translator, SlotsKeepTheFirstFingerDownAsFingerOne)
{
    PadTranslator t(pad());
    // slot 1 comes down first, then slot 0 to its right
    auto states = run(t, Stream()
                             .down(1, 7, 200, 300)
                             .key(BTN_TOUCH, 1)
                             .report()
                             .down(0, 8, 800, 300)
                             .report()
                             .up(1)
                             .report()
                             .up(0)
                             .key(BTN_TOUCH, 0)
                             .report());
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states[0].f, 1);
    EXPECT_EQ(states[1].f, 2);
    EXPECT_LT(states[1].x2_1, states[1].x2_2) << "finger one is the one that came first";
    EXPECT_EQ(states[2].f, 1);
    EXPECT_GT(states[2].x, 3472) << "the remaining finger is the right-hand one";
    EXPECT_EQ(states[3].f, 0);
}

struct CountCase {
    const char *what;
    bool semi;
    int tool;        // BTN_TOOL_* pressed besides the slots
    int slots_down;  // fingers located in slots
    int expected_f;
};

TEST(Translator, FingerCountFromSlotsAndToolButtons)
{
    const CountCase cases[] = {
        {"two slots", false, 0, 2, 2},
        {"semi-MT box with a triple tap", true, BTN_TOOL_TRIPLETAP, 2, 3},
        {"one slot but a double tap", false, BTN_TOOL_DOUBLETAP, 1, 2},
        {"quad tap on two slots", false, BTN_TOOL_QUADTAP, 2, 4},
        {"tool finger only", false, BTN_TOOL_FINGER, 1, 1},
    };
    for (const CountCase &c : cases) {
        PadTranslator t(pad(0, c.semi));
        Stream s;
        for (int i = 0; i < c.slots_down; ++i)
            s.down(i, 10 + i, 300 + 200 * i, 300);
        if (c.tool)
            s.key(c.tool, 1);
        auto states = run(t, s.report());
        ASSERT_EQ(states.size(), 1u) << c.what;
        EXPECT_EQ(states[0].f, c.expected_f) << c.what;
    }
}

TEST(Translator, ThreeFingerPositionIsTheCentroidAndHoldsStillWhenTheHandRests)
{
    PadTranslator t(pad(0, true));
    auto states = run(t, Stream()
                             .down(0, 1, 400, 300)
                             .down(1, 2, 600, 300)
                             .key(BTN_TOOL_TRIPLETAP, 1)
                             .report()
                             .move(1, 601, 300)
                             .report()  // jitter: no change
                             .move(0, 300, 300)
                             .move(1, 500, 300)
                             .report());  // moved left
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(states[0].x3_1, std::lround(two_finger_x(3472)));
    EXPECT_EQ(states[1].x3_1, states[0].x3_1);
    EXPECT_LT(states[2].x3_1, states[0].x3_1);
}

TEST(Translator, DroppedEventsAreIgnoredUntilTheNextReportAndTheResyncLiftsTheFinger)
{
    PadTranslator t(pad());
    auto states = run(t, Stream()
                             .down(0, 1, 500, 300)
                             .key(BTN_TOUCH, 1)
                             .report()
                             .dropped()
                             .move(0, 900, 100)
                             .report()  // incomplete: thrown away
                             .up(0)
                             .key(BTN_TOUCH, 0)
                             .report());  // the resynchronised state
    ASSERT_EQ(states.size(), 2u) << "no state is published for the dropped frame";
    EXPECT_EQ(states[0].f, 1);
    EXPECT_EQ(states[1].f, 0) << "no finger stays down";
}

TEST(Translator, ClickpadBottomRightIsTheRightButtonLatchedUntilRelease)
{
    struct Case {
        int x, y;
        int l, r;
    } cases[] = {
        {900, 590, 0, 1},  // bottom right
        {100, 590, 1, 0},  // bottom left
        {900, 100, 1, 0},  // top right: not a button area
    };
    for (const Case &c : cases) {
        PadTranslator t(pad(10, false, true));  // 100 x 60 mm
        auto states = run(t, Stream()
                                 .down(0, 1, c.x, c.y)
                                 .key(BTN_TOUCH, 1)
                                 .report()
                                 .key(BTN_LEFT, 1)
                                 .report()
                                 .move(0, 500, 300)
                                 .report()  // moving away keeps the button
                                 .key(BTN_LEFT, 0)
                                 .report());
        ASSERT_EQ(states.size(), 4u);
        EXPECT_EQ(states[1].l, c.l) << c.x << "," << c.y;
        EXPECT_EQ(states[1].r, c.r) << c.x << "," << c.y;
        EXPECT_EQ(states[2].r, c.r);
        EXPECT_EQ(states[3].l + states[3].r, 0);
    }
}

TEST(Translator, SameMillimetresGiveTheSameUnitsOnSmallAndLargePads)
{
    // 10 mm to the right on a 10 units/mm pad and on a 30 units/mm one.
    struct Case {
        int res;
        int max;
    } cases[] = {{10, 1000}, {30, 3000}};
    for (const Case &c : cases) {
        PadDescription d = pad();
        for (int code : {ABS_MT_POSITION_X, ABS_MT_POSITION_Y}) {
            d.abs[code].resolution = c.res;
            d.abs[code].maximum = c.max;
        }
        PadTranslator t(d);
        auto states = run(t, Stream()
                                 .down(0, 1, c.max / 2, c.max / 2)
                                 .report()
                                 .move(0, c.max / 2 + 10 * c.res, c.max / 2)
                                 .report());
        ASSERT_EQ(states.size(), 2u);
        // 400 units, less the one-finger hysteresis
        EXPECT_EQ(states[1].x - states[0].x, 400 - static_cast<int>(kOneFingerHysteresis)) << c.res;
    }
}

TEST(Translator, WithoutResolutionTheRangeIsStretchedAndOutOfRangeValuesClamped)
{
    PadTranslator t(pad());
    auto states = run(t, Stream()
                             .down(0, 1, 0, 0)
                             .report()
                             .up(0)
                             .report()
                             .down(0, 2, 1000, 600)
                             .report()
                             .up(0)
                             .report()
                             .down(0, 3, 5000, -70)
                             .report());  // beyond the range
    ASSERT_EQ(states.size(), 5u);
    EXPECT_EQ(states[0].x, 1472);
    EXPECT_EQ(states[0].y, 1408);
    EXPECT_EQ(states[2].x, 5472);
    EXPECT_EQ(states[2].y, 4448);
    EXPECT_EQ(states[4].x, 5472) << "clamped, not wrapped";
    EXPECT_EQ(states[4].y, 1408);
}

TEST(Translator, TwoFingersMovingUnevenlyPublishTheSameMovement)
{
    PadTranslator t(pad(10));
    auto states = run(t, Stream()
                             .down(0, 1, 400, 200)
                             .down(1, 2, 600, 200)
                             .report()
                             .move(0, 400, 230)
                             .move(1, 600, 238)
                             .report()  // 3 and 3.8 mm
                             .move(0, 401, 260)
                             .move(1, 603, 275)
                             .report());
    ASSERT_EQ(states.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(states[i].y2_1 - states[i - 1].y2_1, states[i].y2_2 - states[i - 1].y2_2) << i;
        EXPECT_EQ(states[i].x2_1 - states[i - 1].x2_1, states[i].x2_2 - states[i - 1].x2_2) << i;
        EXPECT_GT(states[i].y2_1, states[i - 1].y2_1) << "they still move";
    }
}

TEST(Translator, APinchStillChangesTheSeparation)
{
    PadTranslator t(pad(10));
    auto states = run(t, Stream()
                             .down(0, 1, 300, 300)
                             .down(1, 2, 700, 300)
                             .report()
                             .move(0, 340, 300)
                             .move(1, 660, 300)
                             .report());  // 8 mm closer
    ASSERT_EQ(states.size(), 2u);
    EXPECT_LT(states[1].x2_2 - states[1].x2_1, states[0].x2_2 - states[0].x2_1);
}

TEST(Translator, ProtocolAContactsBecomeFingers)
{
    PadDescription d = pad();
    d.abs[ABS_MT_SLOT].present = false;
    d.abs[ABS_MT_TRACKING_ID].present = false;
    PadTranslator t(d);
    ASSERT_TRUE(t.protocol_a());
    Stream s;
    s.abs(ABS_MT_POSITION_X, 200).abs(ABS_MT_POSITION_Y, 300).add(EV_SYN, SYN_MT_REPORT, 0);
    s.abs(ABS_MT_POSITION_X, 700).abs(ABS_MT_POSITION_Y, 300).add(EV_SYN, SYN_MT_REPORT, 0);
    s.key(BTN_TOUCH, 1).report();
    s.add(EV_SYN, SYN_MT_REPORT, 0).key(BTN_TOUCH, 0).report();
    auto states = run(t, s);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].f, 2);
    EXPECT_EQ(states[1].f, 0);
}

TEST(Translator, AHoveringFingerIsNoTouch)
{
    PadTranslator t(pad());
    auto states = run(t, Stream()
                             .down(0, 1, 500, 300)
                             .key(BTN_TOUCH, 1)
                             .report()
                             .key(BTN_TOUCH, 0)
                             .report()  // still tracked, lifted off
                             .key(BTN_TOUCH, 1)
                             .report());
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(states[0].f, 1);
    EXPECT_EQ(states[1].f, 0);
    EXPECT_EQ(states[2].f, 1);
}

TEST(Translator, ImpossibleSlotNumbersAreIgnored)
{
    PadDescription d = pad();
    d.abs[ABS_MT_SLOT].maximum = 2147483647;  // what a broken recording may claim
    PadTranslator t(d);
    auto states = run(t, Stream()
                             .down(2147483647, 1, 500, 300)
                             .report()
                             .down(-5, 2, 500, 300)
                             .report()
                             .down(3, 3, 500, 300)
                             .report());
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(states[0].f, 0);
    EXPECT_EQ(states[1].f, 0);
    EXPECT_EQ(states[2].f, 1);
}

TEST(Translator, LiftAllReleasesFingersAndButtons)
{
    PadTranslator t(pad());
    run(t, Stream().down(0, 1, 500, 300).key(BTN_LEFT, 1).key(BTN_MIDDLE, 1).report());
    const FingerState &s = t.lift_all();
    EXPECT_EQ(s.f, 0);
    EXPECT_EQ(s.l + s.r + s.m, 0);
}

}  // namespace
