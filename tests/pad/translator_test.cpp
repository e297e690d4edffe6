// The translation core on short synthetic event streams, reported at
// 125 Hz: slots, finger counts, units, buttons, and the touch stack's
// decisions as the engine sees them (who counts in f, what the pair does).
#include <gtest/gtest.h>
#include <linux/input.h>

#include <cmath>
#include <limits>
#include <vector>

#include "pad_translator.h"

namespace {

// A pad: x 0..1000, y 0..600 (optionally with resolution), slots.
PadDescription pad(int res = 0, bool semi = false, bool clickpad = false, int slots = 4)
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

// Events of one stream; "report()" ends a frame, and the next begins 8 ms
// later.
// Long enough for a new contact to count.
constexpr int kLanded = 4;

struct Stream {
    std::vector<PadEvent> events;
    int64_t now_us = 0;
    Stream &abs(int code, int value) { return add(EV_ABS, code, value); }
    Stream &key(int code, int value) { return add(EV_KEY, code, value); }
    Stream &report()
    {
        add(EV_SYN, SYN_REPORT, 0);
        now_us += 8000;
        return *this;
    }
    // n reports with nothing new (a pad reporting the same fingers).
    Stream &wait(int n)
    {
        for (int i = 0; i < n; ++i)
            report();
        return *this;
    }
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
    // The first finger of a touch, down long enough to count.
    Stream &first_down(int slot, int id, int x, int y)
    {
        return down(slot, id, x, y).key(BTN_TOUCH, 1).report().wait(kLanded);
    }
    Stream &up(int slot) { return abs(ABS_MT_SLOT, slot).abs(ABS_MT_TRACKING_ID, -1); }
    Stream &add(int type, int code, int value)
    {
        PadEvent e;
        e.time_us = now_us;
        e.type = static_cast<uint16_t>(type);
        e.code = static_cast<uint16_t>(code);
        e.value = value;
        events.push_back(e);
        return *this;
    }
};

std::vector<FingerState> run(PadTranslator &t, const Stream &s)
{
    std::vector<FingerState> out;
    for (const PadEvent &e : s.events)
        if (t.feed(e))
            out.push_back(t.state());
    return out;
}

TEST(Translator, ANewContactCountsOnceItHasLandedAndTheFirstDownIsFingerOne)
{
    PadTranslator t(pad());
    // slot 1 comes down first, then slot 0 to its right; one brushes the
    // pad for a single report and never counts
    auto states = run(t, Stream()
                             .first_down(1, 7, 200, 300)
                             .down(0, 8, 800, 300)
                             .down(2, 9, 500, 500)
                             .report()
                             .up(2)
                             .report()
                             .wait(kLanded)
                             .up(1)
                             .report()
                             .up(0)
                             .key(BTN_TOUCH, 0)
                             .report());
    ASSERT_EQ(states.size(), 13u);
    EXPECT_EQ(states[0].f, 0) << "just landed";
    EXPECT_EQ(states[kLanded].f, 1);
    EXPECT_EQ(states[kLanded + 1].f, 1) << "the second one just landed, the third only brushed the pad";
    EXPECT_EQ(states[11 - 1].f, 2);
    EXPECT_EQ(states[11].f, 1);
    EXPECT_GT(states[11].x, 3472) << "the remaining finger is the right-hand one";
    EXPECT_EQ(states[12].f, 0);
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
        auto states = run(t, s.report().wait(kLanded));
        ASSERT_EQ(states.size(), 1u + kLanded) << c.what;
        EXPECT_EQ(states[0].f, 0) << c.what << ": still landing";
        EXPECT_EQ(states.back().f, c.expected_f) << c.what;
    }
}

TEST(Translator, ThreeFingersStandStillWhileTheHandRestsAndFollowItOnceItMoves)
{
    PadTranslator t(pad(10));  // 100 x 60 mm
    Stream s;
    s.down(0, 1, 300, 300).down(1, 2, 500, 300).down(2, 3, 700, 300).report().wait(kLanded);
    for (int i = 0; i < 10; ++i)  // trembling and settling by up to a millimetre
        s.move(0, 300 + (i % 3) * 4, 300 - (i % 2) * 5).report();
    for (int i = 1; i <= 10; ++i)  // then moving left, 2 mm a report
        s.move(0, 300 - 20 * i, 300).move(1, 500 - 20 * i, 300).move(2, 700 - 20 * i, 300).report();
    auto states = run(t, s);
    const int rest_end = 1 + kLanded + 10;
    for (int i = kLanded + 1; i < rest_end; ++i)
        EXPECT_EQ(states[static_cast<size_t>(i)].x3_1, states[kLanded].x3_1)
            << "a resting hand sends nothing";
    EXPECT_LT(states.back().x3_1, states[kLanded].x3_1 - 30) << "a moving one does";
}

TEST(Translator, DroppedEventsAreIgnoredUntilTheNextReportAndTheResyncLiftsTheFinger)
{
    PadTranslator t(pad());
    auto states = run(t, Stream()
                             .first_down(0, 1, 500, 300)
                             .dropped()
                             .move(0, 900, 100)
                             .report()  // incomplete: thrown away
                             .up(0)
                             .key(BTN_TOUCH, 0)
                             .report());  // the resynchronised state
    ASSERT_EQ(states.size(), 2u + kLanded) << "no state is published for the dropped frame";
    EXPECT_EQ(states[kLanded].f, 1);
    EXPECT_EQ(states.back().f, 0) << "no finger stays down";
}

TEST(Translator, ClickpadBottomRightIsTheRightButtonLatchedUntilRelease)
{
    struct Case {
        int x, y;
        int l, r;
    } cases[] = {
        {900, 590, 0, 1},  // bottom right (a thumb there: no finger, but it clicks)
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
    // 10 mm to the right on pads of 12 and of 40 units/mm.
    for (int res : {12, 40}) {
        PadDescription d = pad();
        for (int code : {ABS_MT_POSITION_X, ABS_MT_POSITION_Y}) {
            d.abs[code].resolution = res;
            d.abs[code].maximum = 100 * res;
        }
        PadTranslator t(d);
        const int mid = 50 * res;
        auto states = run(t, Stream()
                                 .down(0, 1, mid, mid / 2)
                                 .report()
                                 .wait(kLanded)
                                 .move(0, mid + 10 * res, mid / 2)
                                 .report());
        // 400 units, less the one-finger hysteresis
        EXPECT_EQ(states.back().x - states[kLanded].x, 400 - static_cast<int>(kOneFingerHysteresis)) << res;
    }
}

TEST(Translator, WithoutResolutionTheRangeIsStretchedAndOutOfRangeValuesClamped)
{
    PadTranslator t(pad());
    Stream s;
    // (The bottom edge is where thumbs land: not a finger to publish.)
    const int at[3][2] = {{0, 0}, {1000, 450}, {5000, -70}};  // the last beyond the range
    for (int i = 0; i < 3; ++i)
        s.down(0, i + 1, at[i][0], at[i][1]).report().wait(kLanded).up(0).report();
    auto states = run(t, s);
    const size_t per = kLanded + 2;
    EXPECT_EQ(states[kLanded].x, 1472);
    EXPECT_EQ(states[kLanded].y, 1408);
    EXPECT_EQ(states[per + kLanded].x, 5472);
    EXPECT_EQ(states[per + kLanded].y, 1408 + 3040 * 3 / 4);
    EXPECT_EQ(states[2 * per + kLanded].x, 5472) << "clamped, not wrapped";
    EXPECT_EQ(states[2 * per + kLanded].y, 1408);
}

TEST(Translator, ProtocolAContactsBecomeFingers)
{
    PadDescription d = pad();
    d.abs[ABS_MT_SLOT].present = false;
    d.abs[ABS_MT_TRACKING_ID].present = false;
    PadTranslator t(d);
    ASSERT_TRUE(t.protocol_a());
    Stream s;
    for (int i = 0; i <= kLanded; ++i) {
        s.abs(ABS_MT_POSITION_X, 200).abs(ABS_MT_POSITION_Y, 300).add(EV_SYN, SYN_MT_REPORT, 0);
        s.abs(ABS_MT_POSITION_X, 700).abs(ABS_MT_POSITION_Y, 300).add(EV_SYN, SYN_MT_REPORT, 0);
        s.key(BTN_TOUCH, 1).report();
    }
    s.add(EV_SYN, SYN_MT_REPORT, 0).key(BTN_TOUCH, 0).report();
    auto states = run(t, s);
    ASSERT_EQ(states.size(), 2u + kLanded);
    EXPECT_EQ(states[kLanded].f, 2);
    EXPECT_EQ(states.back().f, 0);
}

TEST(Translator, AHoveringFingerIsNoTouch)
{
    PadTranslator t(pad());
    auto states = run(t, Stream()
                             .first_down(0, 1, 500, 300)
                             .key(BTN_TOUCH, 0)
                             .report()  // still tracked, lifted off
                             .key(BTN_TOUCH, 1)
                             .report()
                             .wait(kLanded));
    EXPECT_EQ(states[kLanded].f, 1);
    EXPECT_EQ(states[kLanded + 1].f, 0);
    EXPECT_EQ(states.back().f, 1);
}

TEST(Translator, ImpossibleSlotNumbersAreIgnored)
{
    PadDescription d = pad();
    d.abs[ABS_MT_SLOT].maximum = 2147483647;  // what a broken recording may claim
    PadTranslator t(d);
    auto states = run(t, Stream()
                             .down(2147483647, 1, 500, 300)
                             .down(-5, 2, 500, 300)
                             .report()
                             .wait(kLanded)
                             .down(3, 3, 500, 300)
                             .report()
                             .wait(kLanded));
    EXPECT_EQ(states[kLanded].f, 0);
    EXPECT_EQ(states.back().f, 1);
}

TEST(Translator, LiftAllReleasesFingersAndButtons)
{
    PadTranslator t(pad());
    run(t, Stream().down(0, 1, 500, 300).key(BTN_LEFT, 1).key(BTN_MIDDLE, 1).report().wait(kLanded));
    const FingerState &s = t.lift_all();
    EXPECT_EQ(s.f, 0);
    EXPECT_EQ(s.l + s.r + s.m, 0);
}

}  // namespace
