// A flick in the PDF viewer on a machine where every xte run takes 20 ms,
// so that the action thread is inside an entry whenever a sample arrives.
// One thread plays all parts on one fake clock: the recogniser's samples
// fall due while the action thread's command runner "runs", exactly as they
// would arrive on their own thread, and nothing depends on real time.
#include <gtest/gtest.h>
#include <semaphore.h>

#include <cstring>
#include <string>
#include <vector>

#include "auto_scroll.h"
#include "engine_state.h"
#include "fake_engine.h"
#include "gesture_actions.h"
#include "platform.h"
#include "recogniser.h"

namespace {

constexpr int64_t kStart = 1'700'000'000'000LL;
constexpr int kXteMs = 20;
constexpr int kSamplePeriodMs = 8;

struct TimedSample {
    int64_t at;
    SampleRecord rec;
};

struct World {
    int64_t now = kStart;
    std::vector<TimedSample> samples;
    size_t next = 0;
    RecogniserState recogniser;
    std::vector<std::string> commands;
    int auto_scroll_posts = 0;
    int touch_after_sleeps = -1;  // auto-scroll: a finger touches after so many sleeps
    int sleeps = 0;
};
World *world = nullptr;

void enqueue(void *, Gesture code, int32_t arg) { engine.queue.enqueue(code, arg); }
void no_drag(void *) {}
void count_auto_scroll(void *) { world->auto_scroll_posts++; }
const RecogniserPorts kPorts = {enqueue, no_drag, count_auto_scroll, nullptr};

// The recogniser thread: every sample whose time has come.
void samples_up_to(int64_t t)
{
    while (world->next < world->samples.size() && world->samples[world->next].at <= t) {
        const TimedSample &s = world->samples[world->next++];
        recogniser_step(&world->recogniser, s.rec, engine, s.at, kPorts);
    }
}

int64_t fake_now(void *) { return world->now; }

void fake_sleep(void *, int ms)
{
    world->now += ms;
    samples_up_to(world->now);
    if (++world->sleeps == world->touch_after_sleeps) {
        engine.scroll.scroll_finger_count = 1;
        engine.scroll.scroll_active = 0;
        engine.scroll.autoscroll_running = 0;
    }
}

void slow_run(void *, const char *command)
{
    world->commands.push_back(command);
    if (strstr(command, "xte"))
        fake_sleep(nullptr, kXteMs);
}

void no_input(void *, const char *, int, InputKind) {}

int pdf_title(void *, char *buf, int cap)
{
    return snprintf(buf, static_cast<size_t>(cap), "%s", "manual.pdf - Adobe Reader");
}

SampleRecord two_fingers(int32_t x1, int32_t x2)
{
    SampleRecord r{};
    r.f = 2;
    r.x2_1 = x1;
    r.y2_1 = 150;
    r.x2_2 = x2;
    r.y2_2 = 150;
    return r;
}

int count(const std::vector<std::string> &v, const char *line)
{
    int n = 0;
    for (const std::string &s : v)
        n += s == line;
    return n;
}

TEST(SlowCommands, PdfFlickStartsAutoScrollWhenEveryXteRunTakes20ms)
{
    World w;
    world = &w;
    const EnginePlatform platform{fake_now, fake_sleep, slow_run, no_input, pdf_title, nullptr};
    for (sem_t *s : {&engine.queue.posted, &engine.drag.events, &engine.scroll.starts})
        ASSERT_EQ(sem_init(s, 0, 0), 0);
    engine.reset();
    recogniser_init(&w.recogniser, engine);
    hotkey_clear_latches(engine);
    hotkey_clear_scroll_and_zoom(engine, kStart);
    engine.settings.HorizontalScrollingCheckBox = 1;
    engine.settings.ScrollingSpeedSlider = 5;
    engine.settings.AutoScrollCheckBox = 1;

    // Two fingers move 6 toward smaller x at every 8 ms report and lift
    // while moving: a step every second report, three xte runs per step.
    int64_t t = kStart + 100;
    for (int i = 0; i < 17; ++i, t += kSamplePeriodMs)
        w.samples.push_back({t, two_fingers(300 - 6 * i, 500 - 6 * i)});
    w.samples.push_back({t, SampleRecord{}});

    // The action thread takes each entry as soon as there is one; while it
    // is inside an entry the samples keep arriving through the slow runner.
    while (w.next < w.samples.size() || engine.queue.unread() > 0) {
        if (engine.queue.unread() > 0) {
            carry_out_next_action(platform, engine, nullptr);
        } else {
            w.now = std::max(w.now, w.samples[w.next].at);
            samples_up_to(w.now);
        }
    }
    const int steps = count(w.commands, "/usr/local/bin/xte  'keydown Left'");
    ASSERT_EQ(steps, 8) << "eight scroll steps, each Escape and the Left key";
    ASSERT_EQ(w.auto_scroll_posts, 1) << "the flick ended while the action thread was behind";
    EXPECT_EQ(engine.scroll.scroll_active.load(), 1) << "the last scroll step armed auto-scroll";

    // The auto-scroll thread's wake-up: it holds Left and clicks the
    // sideways wheel until a finger touches, then lets go of Left.
    w.commands.clear();
    w.touch_after_sleeps = w.sleeps + 4 * 3;
    engine.scroll.scroll_finger_count = 0;
    AutoScroll scroll{};
    EXPECT_GT(auto_scroll_wake(platform, engine, &scroll), 1);
    ASSERT_GE(w.commands.size(), 4u);
    const ActionCommands &xte = classic_action_commands();
    EXPECT_EQ(w.commands[0], xte.line(XteLine::kKeyEscape));
    EXPECT_EQ(w.commands[1], xte.line(XteLine::kKeydownLeft));
    EXPECT_EQ(w.commands.back(), xte.line(XteLine::kKeyupLeft));
    EXPECT_EQ(count(w.commands, xte.line(XteLine::kScrollLeft)), static_cast<int>(w.commands.size()) - 3);

    world = nullptr;
}

}  // namespace
