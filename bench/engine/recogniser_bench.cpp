// Recogniser throughput on one core over a mixed trace: one-finger taps and
// moves, two-finger scrolling, pinches and rotations, three-finger swipes
// and window switching, covers and lift-offs, with every gesture enabled.
#include <benchmark/benchmark.h>

#include "recogniser.h"

namespace {

constexpr int kTraceLength = 4096;
SampleRecord trace[kTraceLength];
int trace_used = 0;

void add(int32_t f, int32_t x, int32_t y, int32_t w, int32_t a, int32_t b, int32_t c, int32_t d)
{
    if (trace_used >= kTraceLength)
        return;
    SampleRecord r{};
    r.f = f;
    r.w = w;
    if (f == 1) {
        r.x = x;
        r.y = y;
    } else if (f == 2) {
        r.x2_1 = a;
        r.y2_1 = b;
        r.x2_2 = c;
        r.y2_2 = d;
    } else if (f == 3) {
        r.x3_1 = x;
        r.y3_1 = y;
    }
    trace[trace_used++] = r;
}

void build_trace()
{
    while (trace_used < kTraceLength - 64) {
        for (int i = 0; i < 3; ++i)
            add(1, 3000, 2500, 4, 0, 0, 0, 0);  // tap
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 20; ++i)
            add(1, 3000 + 9 * i, 2500 - 4 * i, 5, 0, 0, 0, 0);
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 30; ++i)
            add(2, 0, 0, 0, 100, 100 + 5 * i, 200, 100 + 5 * i);
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 15; ++i)
            add(2, 0, 0, 0, 100 + 2 * i, 200 - 2 * i, 200 - 2 * i, 100 + 2 * i);
        add(1, 3000, 2500, 4, 0, 0, 0, 0);
        for (int i = 0; i < 15; ++i)
            add(2, 0, 0, 0, 300, 400, 400 + 2 * i, 300 + 2 * i);
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 12; ++i)
            add(3, 500 - 8 * i, 500, 6, 0, 0, 0, 0);
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 12; ++i)
            add(3, 500, 100 + 15 * i, 6, 0, 0, 0, 0);
        for (int i = 0; i < 10; ++i)
            add(1, 3000 + 40 * i, 2500, 4, 0, 0, 0, 0);
        add(0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 4; ++i)
            add(1, 3000, 2500, 14, 0, 0, 0, 0);  // cover
        add(0, 0, 0, 0, 0, 0, 0, 0);
    }
}

long enqueued;
void count_enqueue(void *, Gesture, int32_t) { ++enqueued; }
void count_post(void *) { ++enqueued; }

void enable_everything(SettingsSnapshot &s)
{
    s.TappingCheckBox = 1;
    s.TwoFTComboBox = 3;
    s.ThreeFTComboBox = 4;
    s.VerticalScrollingCheckBox = 1;
    s.HorizontalScrollingCheckBox = 1;
    s.ScrollingSpeedSlider = 10;
    s.AutoScrollCheckBox = 1;
    s.ZoomCheckBox = 1;
    s.ZoomSlider = 8;
    s.RotationCheckBox = 1;
    s.RotationSlider = 8;
    s.SwipePageCheckBox = 1;
    s.FastKeyCheckBox = 1;
    s.MyHomeFileCheckBox = 1;
    s.SwitchWindowsCheckBox = 1;
    s.CovergestureCheckBox = 1;
    s.CovergestureSlider = 10;
    s.ButtonCheckBox = 1;
}

void BM_RecogniserMixedTrace(benchmark::State &bs)
{
    build_trace();
    static EngineShared engine;
    enable_everything(engine.settings);
    static RecogniserState st;
    recogniser_init(&st, engine);
    const RecogniserPorts ports{count_enqueue, count_post, count_post, nullptr};
    int64_t now = 0;
    int i = 0;
    for (auto _ : bs) {
        now += 8;
        recogniser_step(&st, trace[i], engine, now, ports);
        if (++i == trace_used)
            i = 0;
    }
    bs.SetItemsProcessed(bs.iterations());
    bs.counters["actions_per_sample"] =
        benchmark::Counter(static_cast<double>(enqueued) / static_cast<double>(bs.iterations()));
}
BENCHMARK(BM_RecogniserMixedTrace);

}  // namespace

BENCHMARK_MAIN();
