// The typing monitor's decisions, with time and key vectors given by the test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "idle_monitor.h"
#include "idle_options.h"

namespace {

struct Keys {
    uint8_t v[kKeyVectorBytes] = {};
    Keys(std::initializer_list<unsigned> codes)
    {
        for (unsigned k : codes)
            v[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }
};

// Xvfb's modifier mapping: Shift 50 62, Lock 66, Control 37 105, Mod1 64,
// Mod2 77, Mod4 133 134; the unused slots are 0.
const uint8_t kModifiers[] = {50, 62, 66, 0, 37, 105, 64, 0, 77, 0, 0, 0, 133, 134, 0, 0};

IdleCommand parse(const std::vector<std::string> &args, IdleOptions &o)
{
    // The options keep pointers into argv (the pid file name): keep the
    // strings alive until the next call.
    static std::vector<std::string> kept;
    kept = args;
    kept.insert(kept.begin(), "vorellidle");
    std::vector<char *> argv;
    argv.reserve(kept.size() + 1);
    for (std::string &a : kept)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return parse_idle_options(static_cast<int>(kept.size()), argv.data(), o);
}

struct Rig {
    IdleMonitor m;
    IdleOptions o;
    TouchpadSharedBlock block = {};
    Rig(bool ignore_modifiers = false) { idle_monitor_init(m, kModifiers, 16, ignore_modifiers); }
    IdleChange poll(double now, const Keys &k)
    {
        return idle_poll(m, o, &block, now, keyboard_activity(m, k.v, o.ignore_combos));
    }
};

}  // namespace

TEST(IdleOptions, DefaultsAndRejectedIdleTimes)
{
    IdleOptions o;
    EXPECT_EQ(parse({}, o), IdleCommand::kRun);
    EXPECT_EQ(o.idle_time, 0.5);
    EXPECT_FALSE(o.daemon || o.tapping_only || o.ignore_modifiers || o.ignore_combos);
    EXPECT_EQ(o.pid_file, nullptr);

    for (const char *bad : {"0", "-1", "abc", "nan", "inf", "-0"}) {
        IdleOptions b;
        EXPECT_EQ(parse({"-i", bad}, b), IdleCommand::kUsage) << bad;
    }
    IdleOptions k;
    EXPECT_EQ(parse({"-K", "-t", "-d", "-p", "/tmp/x.pid", "-i", "1.5s", "extra"}, k), IdleCommand::kRun);
    EXPECT_TRUE(k.ignore_modifiers && k.ignore_combos && k.tapping_only && k.daemon);
    EXPECT_STREQ(k.pid_file, "/tmp/x.pid");
    EXPECT_EQ(k.idle_time, 1.5);
    IdleOptions v;
    EXPECT_EQ(parse({"-V"}, v), IdleCommand::kVersion);
}

TEST(KeyboardActivity, OnlyPressesOfAdmittedKeysCount)
{
    Rig r;
    EXPECT_FALSE(keyboard_activity(r.m, Keys{}.v, false));
    EXPECT_TRUE(keyboard_activity(r.m, Keys{38}.v, false));
    EXPECT_FALSE(keyboard_activity(r.m, Keys{38}.v, false)) << "held, not pressed";
    EXPECT_TRUE(keyboard_activity(r.m, Keys{38, 39}.v, false));
    EXPECT_FALSE(keyboard_activity(r.m, Keys{39}.v, false)) << "a release is no press";
    EXPECT_TRUE(keyboard_activity(r.m, Keys{50}.v, false)) << "without -k Shift counts";

    Rig k(true);
    EXPECT_FALSE(keyboard_activity(k.m, Keys{50}.v, false));
    EXPECT_FALSE(keyboard_activity(k.m, Keys{50, 37}.v, false));
    EXPECT_TRUE(keyboard_activity(k.m, Keys{50, 37, 38}.v, false)) << "-k: a letter with Control counts";

    Rig kk(true);
    EXPECT_FALSE(keyboard_activity(kk.m, Keys{37}.v, true));
    EXPECT_FALSE(keyboard_activity(kk.m, Keys{37, 38}.v, true))
        << "-K: no press counts while Control is down";
    EXPECT_FALSE(keyboard_activity(kk.m, Keys{38}.v, true)) << "38 was already down";
    EXPECT_TRUE(keyboard_activity(kk.m, Keys{38, 39}.v, true));
}

TEST(IdlePoll, SwitchesOffOnAPressAndOnAfterTheIdleTime)
{
    Rig r;
    r.o.idle_time = 0.5;
    EXPECT_EQ(r.poll(100.00, Keys{}), IdleChange::kUnchanged);
    EXPECT_EQ(r.block.TouchpadOff, 0);
    EXPECT_EQ(r.poll(100.02, Keys{38}), IdleChange::kDisabled);
    EXPECT_EQ(r.block.TouchpadOff, 1);
    // Held longer than the idle time: only the press counted.
    EXPECT_EQ(r.poll(100.30, Keys{38}), IdleChange::kUnchanged);
    EXPECT_EQ(r.poll(100.52, Keys{38}), IdleChange::kUnchanged) << "not strictly after yet";
    EXPECT_EQ(r.poll(100.53, Keys{38}), IdleChange::kEnabled);
    EXPECT_EQ(r.block.TouchpadOff, 0);
    EXPECT_EQ(r.poll(100.60, Keys{38}), IdleChange::kUnchanged);
}

TEST(IdlePoll, TappingOnlyWritesTwo)
{
    Rig r;
    r.o.tapping_only = true;
    r.poll(10.0, Keys{});
    EXPECT_EQ(r.poll(10.02, Keys{38}), IdleChange::kDisabled);
    EXPECT_EQ(r.block.TouchpadOff, 2);
    EXPECT_EQ(r.poll(11.0, Keys{}), IdleChange::kEnabled);
    EXPECT_EQ(r.block.TouchpadOff, 0);
}

TEST(IdlePoll, NeverUndoesSomeoneElsesSwitchingOff)
{
    Rig r;
    r.block.TouchpadOff = 1;
    r.poll(10.0, Keys{});
    EXPECT_EQ(r.poll(10.02, Keys{38}), IdleChange::kUnchanged);
    EXPECT_EQ(r.poll(20.0, Keys{}), IdleChange::kUnchanged);
    EXPECT_EQ(r.block.TouchpadOff, 1);
    EXPECT_FALSE(enable_touchpad(r.m, &r.block));
    EXPECT_EQ(r.block.TouchpadOff, 1);

    // Set by the user while the monitor has it off: the monitor still writes 0.
    Rig s;
    s.poll(10.0, Keys{});
    s.poll(10.02, Keys{38});
    s.block.TouchpadOff = 2;
    EXPECT_EQ(s.poll(11.0, Keys{}), IdleChange::kEnabled);
    EXPECT_EQ(s.block.TouchpadOff, 0);
}

TEST(IdlePoll, HeldTouchpadButtonKeepsItOn)
{
    for (int which = 0; which < 12; ++which) {
        Rig r;
        FingerRecord &f = r.block.OldStructFingers;
        int32_t *buttons[12] = {&f.l,        &f.r,        &f.u,        &f.d,        &f.multi[0], &f.multi[1],
                                &f.multi[2], &f.multi[3], &f.multi[4], &f.multi[5], &f.multi[6], &f.multi[7]};
        *buttons[which] = 1;
        r.block.NewStructFingers.l = 0;  // the old record counts whatever NewStruct says
        r.block.NewStruct = 1;
        r.poll(10.0, Keys{});
        EXPECT_EQ(r.poll(10.02, Keys{38}), IdleChange::kUnchanged) << which;
        EXPECT_EQ(r.block.TouchpadOff, 0);
    }
    // A button pressed while the pad is off switches it back on.
    Rig r;
    r.poll(10.0, Keys{});
    r.poll(10.02, Keys{38});
    ASSERT_EQ(r.block.TouchpadOff, 1);
    r.block.OldStructFingers.r = 1;
    EXPECT_EQ(r.poll(10.04, Keys{}), IdleChange::kEnabled);
}

TEST(IdlePoll, ClockSteppingBackKeepsItOffUntilItCatchesUp)
{
    Rig r;
    r.poll(1000.0, Keys{});
    r.poll(1000.02, Keys{38});
    EXPECT_EQ(r.poll(900.0, Keys{}), IdleChange::kUnchanged);
    EXPECT_EQ(r.poll(1000.3, Keys{}), IdleChange::kUnchanged);
    EXPECT_EQ(r.poll(1000.6, Keys{}), IdleChange::kEnabled);
}
