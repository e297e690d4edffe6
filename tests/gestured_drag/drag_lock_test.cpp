// The drag rules, one wake-up at a time, with a fake clock and the flags the
// recogniser would set scripted in between.
#include <gtest/gtest.h>
#include <semaphore.h>

#include "drag_lock.h"
#include "engine_state.h"
#include "fake_engine.h"
#include "platform.h"

namespace {

using Log = std::vector<std::string>;

// What a drag sends from its start to its end, without and with the
// driver's timeout switched off for a tap-release drag.
const Log kDrag = {"queue DRAG_PRESS", "vorellctl DragHoldButton=1", "queue DRAG_RELEASE",
                   "vorellctl DragHoldButton=0"};
const Log kTimeoutOffDrag = {"queue DRAG_PRESS",           "vorellctl DragTimeoutRelease=0",
                             "vorellctl DragHoldButton=1", "vorellctl DragTimeoutRelease=1",
                             "queue DRAG_RELEASE",         "vorellctl DragHoldButton=0"};

enum class Style { kLift, kTapAgain, kTapRelease };

class DragLockTest : public ::testing::Test {
protected:
    FakeEngine fake;
    DragLock drag{};

    void SetUp() override { drag_lock_start(engine, &drag); }

    void settings(Style style, int drag_check = 1, double slider = 2.0)
    {
        engine.settings.DragCheckBox = drag_check;
        engine.settings.LiftReleaseRadioButton = style == Style::kLift;
        engine.settings.TapAgainRadioButton = style == Style::kTapAgain;
        engine.settings.TapReleaseRadioButton = style == Style::kTapRelease;
        engine.settings.DragSlider = slider;
    }

    // What the recogniser does when a one-finger tap lifts.
    static void tap_lifted()
    {
        engine.drag.tap_request = 1;
        engine.drag.tap_state = TapState::kHandedOver;
        engine.drag.tap_pending = 1;
    }
    // A new touch near the tapped spot.
    static void touch_near_tap()
    {
        engine.drag.drag_finger_count = 1;
        engine.drag.retouch_near_tap = 1;
        engine.drag.retouch_seen = 1;
    }
    // The finger of a drag leaves the pad.
    static void drag_finger_lifted()
    {
        engine.drag.drag_finger_count = 0;
        engine.drag.drag_fingers_up = 1;
        engine.drag.drag_lift_event = 1;
    }

    // Tap, then a touch near it 50 ms later: the drag begins.
    void begin_drag()
    {
        tap_lifted();
        fake.at(50, touch_near_tap);
        ASSERT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kBegin);
        engine.drag.drag_finger_count = 1;
    }
    void advance_to(long ms)
    {
        while (fake.now() < ms)
            fake_platform.sleep(1);
    }
    // The drag's finger leaves the pad at ms.
    void lift_drag_finger_at(long ms)
    {
        advance_to(ms);
        drag_finger_lifted();
    }
    // A finger taps the pad again at ms.
    void retouch_at(long ms)
    {
        advance_to(ms);
        engine.drag.tap_state = TapState::kRetouched;
    }
    // No drag in force, and the tap logic waits for the next tap.
    static void expect_drag_over()
    {
        EXPECT_EQ(engine.drag.drag_active, 0);
        EXPECT_EQ(engine.drag.tap_state, TapState::kIdle);
    }
};

TEST_F(DragLockTest, SingleTapBecomesOneClickAfterTheSettlingWait)
{
    settings(Style::kLift);
    tap_lifted();
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kPlainTap);
    EXPECT_EQ(fake.now(), 200);
    EXPECT_EQ(fake.log(), (Log{"queue TAP_CLICK"}));
    EXPECT_EQ(engine.drag.tap_request, 0);
    EXPECT_EQ(engine.drag.tap_pending, 0);
    expect_drag_over();
}

TEST_F(DragLockTest, TouchNearTapBeginsDragWithTapReleaseCommandsInOrder)
{
    settings(Style::kTapRelease);
    begin_drag();
    EXPECT_EQ(fake.now(), 50) << "the settling wait ends as soon as the finger is back";
    EXPECT_EQ(fake.log(),
              (Log{"queue DRAG_PRESS", "vorellctl DragTimeoutRelease=0", "vorellctl DragHoldButton=1"}));
    EXPECT_EQ(engine.drag.drag_active, 1);
    EXPECT_EQ(engine.drag.tap_state, TapState::kHandedOver);
    EXPECT_EQ(engine.drag.drag_timeout_off, 1);
    EXPECT_EQ(engine.drag.tap_request, 0);
    EXPECT_EQ(engine.drag.retouch_near_tap, 0);
}

TEST_F(DragLockTest, LiftReleaseStyleEndsTheDragAtLiftOff)
{
    settings(Style::kLift);
    begin_drag();
    EXPECT_EQ(fake.log(), (Log{"queue DRAG_PRESS", "vorellctl DragHoldButton=1"}));
    lift_drag_finger_at(600);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftEnds);
    EXPECT_EQ(fake.now(), 600) << "no settling wait while dragging";
    EXPECT_EQ(fake.log(), kDrag);
    expect_drag_over();
    EXPECT_EQ(engine.drag.drag_fingers_up, 0);
    EXPECT_EQ(engine.drag.drag_lift_event, 0);
}

// The touch that begins a drag may already have left the pad when the drag
// thread gets to it (a slow machine): the lift was not the drag's when the
// recogniser saw it, so the drag reports it itself and the next wake-up ends
// the drag as a lift would. A tap-again drag is not ended by a lift.
TEST_F(DragLockTest, ATouchAlreadyGoneWhenTheDragBeginsStillEndsItWithItsLift)
{
    for (Style style : {Style::kLift, Style::kTapAgain}) {
        fake.restart();
        settings(style);
        tap_lifted();
        fake.at(50, [] {
            touch_near_tap();
            engine.drag.drag_finger_count = 0;
        });
        ASSERT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kBegin);
        if (style == Style::kTapAgain) {
            EXPECT_NE(sem_trywait(&engine.drag.events), 0) << "no wake-up for a tap-again drag";
            EXPECT_EQ(engine.drag.drag_active, 1);
            continue;
        }
        ASSERT_EQ(sem_trywait(&engine.drag.events), 0) << "the lift is posted";
        EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftEnds);
        EXPECT_EQ(fake.log(), kDrag);
        EXPECT_EQ(engine.drag.drag_active, 0);
    }
}

TEST_F(DragLockTest, TapReleaseDragSurvivesFingerComingBackWithinTheWait)
{
    settings(Style::kTapRelease, 1, 1.5);
    begin_drag();
    lift_drag_finger_at(600);
    fake.at(600 + 1200, [] { engine.drag.drag_finger_count = 1; });
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftWait);
    EXPECT_GE(fake.now(), 1800);
    EXPECT_LT(fake.now(), 1820);
    EXPECT_EQ(fake.log().size(), 3u) << "nothing sent after the start";
    EXPECT_EQ(engine.drag.drag_active, 1);
    EXPECT_EQ(engine.drag.drag_lift_event, 1) << "kept until the drag ends";
}

TEST_F(DragLockTest, TapReleaseDragEndsWhenTheWaitRunsOut)
{
    settings(Style::kTapRelease, 1, 1.5);
    begin_drag();
    lift_drag_finger_at(600);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftWait);
    EXPECT_GE(fake.now(), 2100);
    EXPECT_LE(fake.now(), 2110);
    EXPECT_EQ(fake.log(), kTimeoutOffDrag);
    EXPECT_EQ(engine.drag.drag_active, 0);
    EXPECT_EQ(engine.drag.drag_timeout_off, 0);
    EXPECT_EQ(engine.drag.drag_fingers_up, 0);
}

TEST_F(DragLockTest, TapDuringTheReTouchWaitReleasesAtOnce)
{
    settings(Style::kTapRelease, 1, 3.0);
    begin_drag();
    lift_drag_finger_at(600);
    fake.at(900, [] { engine.drag.tap_state = TapState::kRetouched; });
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftWait);
    EXPECT_LT(fake.now(), 920);
    EXPECT_EQ(fake.log().back(), "vorellctl DragHoldButton=0");
    expect_drag_over();
}

TEST_F(DragLockTest, TapReleaseLiftWithin250msLeavesTheDragInForce)
{
    settings(Style::kTapRelease);
    begin_drag();
    lift_drag_finger_at(250);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kNone);
    EXPECT_EQ(fake.log().size(), 3u);
    EXPECT_EQ(engine.drag.drag_active, 1);
}

TEST_F(DragLockTest, TapAgainStyleEndsTheDragWithAFurtherTap)
{
    settings(Style::kTapAgain);
    begin_drag();
    retouch_at(900);
    engine.drag.drag_tap_again = 1;
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kTapAgainEnds);
    EXPECT_EQ(fake.log(), kDrag);
    expect_drag_over();
    EXPECT_EQ(engine.drag.drag_tap_again, 0);
}

TEST_F(DragLockTest, QuickSecondTapIsADoubleClickNotTheEndOfADrag)
{
    for (int drag_check : {1, 0}) {
        SCOPED_TRACE(drag_check);
        fake.restart();
        drag_lock_start(engine, &drag);
        settings(Style::kTapAgain, drag_check);
        begin_drag();
        retouch_at(200);
        engine.drag.drag_tap_again = 1;
        EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kQuickSecondTap);
        Log log = fake.log();
        Log expected = drag_check ? Log{"queue DRAG_PRESS", "vorellctl DragHoldButton=1",
                                        "queue DRAG_RELEASE", "queue TAP_CLICK", "vorellctl DragHoldButton=0"}
                                  : Log{"queue DRAG_PRESS", "queue DRAG_RELEASE", "queue TAP_CLICK",
                                        "vorellctl DragHoldButton=0"};
        EXPECT_EQ(log, expected);
        expect_drag_over();
    }
}

TEST_F(DragLockTest, WithoutDragCheckBoxTheDragIsSilentUntilItEnds)
{
    settings(Style::kLift, 0);
    begin_drag();
    EXPECT_TRUE(fake.log().empty());
    EXPECT_EQ(engine.drag.drag_active, 1);
    lift_drag_finger_at(700);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftEnds);
    EXPECT_EQ(fake.log(), (Log{"vorellctl DragHoldButton=0"}));
}

TEST_F(DragLockTest, SecondTapBeforeAnyDragIsForgottenNotClicked)
{
    // drag_elapsed_ms starts as "long ago": the late second-tap rule resets
    // instead of the quick one sending a release of a button that was never
    // pressed.
    settings(Style::kLift);
    engine.drag.tap_state = TapState::kRetouched;
    engine.drag.tap_request = 1;
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLateSecondTap);
    EXPECT_EQ(fake.now(), 0) << "engine.drag.tap_state 2 ends the settling wait at once";
    EXPECT_EQ(fake.log(), (Log{"vorellctl DragHoldButton=0"}));
    EXPECT_EQ(engine.drag.tap_state, TapState::kIdle);
    EXPECT_EQ(engine.drag.tap_request, 0);
}

TEST_F(DragLockTest, EveryWayOutOfATapReleaseDragGivesTheDriverTimeoutBack)
{
    // A quick second tap in a tap-release drag: without giving the timeout
    // back here, drag_timeout_off would stay 1 and every later tap would be
    // swallowed by the action thread.
    settings(Style::kTapRelease);
    begin_drag();
    retouch_at(150);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kQuickSecondTap);
    EXPECT_EQ(engine.drag.drag_timeout_off, 0);
    EXPECT_EQ(fake.log(), (Log{"queue DRAG_PRESS", "vorellctl DragTimeoutRelease=0",
                               "vorellctl DragHoldButton=1", "vorellctl DragTimeoutRelease=1",
                               "queue DRAG_RELEASE", "queue TAP_CLICK", "vorellctl DragHoldButton=0"}));

    // The release style changed to lift-release during a tap-release drag.
    fake.restart();
    drag_lock_start(engine, &drag);
    settings(Style::kTapRelease);
    begin_drag();
    settings(Style::kLift);
    lift_drag_finger_at(800);
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kLiftEnds);
    EXPECT_EQ(engine.drag.drag_timeout_off, 0);
    EXPECT_EQ(fake.log(), kTimeoutOffDrag);

    // And the next plain tap is clicked.
    tap_lifted();
    EXPECT_EQ(drag_lock_wake(fake_platform, engine, &drag), DragRule::kPlainTap);
    EXPECT_EQ(fake.log().back(), "queue TAP_CLICK");
}

TEST(DragRuleTable, FirstMatchingRuleWins)
{
    DragView idle{};
    idle.DragCheckBox = 1;
    idle.LiftReleaseRadioButton = 1;
    idle.drag_elapsed_ms = kNoDragYetMs;
    EXPECT_EQ(choose_drag_rule(idle), DragRule::kNone);

    DragView v = idle;
    v.retouch_near_tap = 1;
    v.tap_request = 1;
    v.tap_state = TapState::kHandedOver;
    EXPECT_EQ(choose_drag_rule(v), DragRule::kBegin);
    v.drag_fingers_up = 1;  // a lift reported before the wake-up: no begin
    EXPECT_EQ(choose_drag_rule(v), DragRule::kPlainTap);

    // In a drag, the tap-again and lift rules come before the tap rules.
    DragView d = idle;
    d.drag_active = 1;
    d.tap_state = TapState::kHandedOver;
    d.tap_request = 1;
    d.drag_elapsed_ms = 1000;
    EXPECT_EQ(choose_drag_rule(d), DragRule::kPlainTap) << "the plain-tap rule matches and does nothing";
    d.drag_fingers_up = 1;
    EXPECT_EQ(choose_drag_rule(d), DragRule::kLiftEnds);
    d.LiftReleaseRadioButton = 0;
    d.TapReleaseRadioButton = 1;
    d.drag_lift_event = 1;
    EXPECT_EQ(choose_drag_rule(d), DragRule::kLiftWait);
    d.drag_elapsed_ms = 250;
    EXPECT_EQ(choose_drag_rule(d), DragRule::kPlainTap);

    DragView t = idle;
    t.drag_active = 1;
    t.TapAgainRadioButton = 1;
    t.drag_tap_again = 1;
    t.tap_state = TapState::kRetouched;
    t.drag_elapsed_ms = 251;
    EXPECT_EQ(choose_drag_rule(t), DragRule::kTapAgainEnds);
    t.drag_elapsed_ms = 250;
    EXPECT_EQ(choose_drag_rule(t), DragRule::kQuickSecondTap);
    t.drag_active = 0;
    t.drag_elapsed_ms = 251;
    EXPECT_EQ(choose_drag_rule(t), DragRule::kLateSecondTap);
}

}  // namespace
