// What asking the gestures file costs on the action thread, per action
// queue entry: an entry no binding can take (a scroll step), a gesture with
// the file's bindings but no [app] section for it, one that has [app]
// sections (the window's class is asked, here from a stand-in that answers
// at once), and, with DISPLAY set, the real class lookup of the focused
// window, which the engine keeps per focused window (one focus query).
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#include "bound_gestures.h"
#include "x_input.h"

namespace {

bool firefox(void *, char *instance, char *window_class, int cap)
{
    snprintf(instance, static_cast<size_t>(cap), "Navigator");
    snprintf(window_class, static_cast<size_t>(cap), "firefox");
    return true;
}

BindingsInForce *bindings()
{
    static BindingsInForce in_force;
    static bool filled = false;
    if (!filled) {
        std::string text = "[gestures]\ntwo-finger-tap = keys Control+w\npinch-in = keys Control+minus\n";
        for (int i = 0; i < 20; ++i)
            text += "[app other" + std::to_string(i) + "]\nswipe-left = keys Alt+Left\n";
        text += "[app firefox]\nswipe-left = keys Alt+Left\n";
        GesturesFileReading r{GesturesFileState::kRead, "", parse_gestures_text("g.conf", text)};
        in_force.install(bindings_after_reading(nullptr, r));
        filled = true;
    }
    return &in_force;
}

void lookup(benchmark::State &state, Gesture code)
{
    EnginePlatform platform{};
    platform.focus_class = firefox;
    platform.bindings = bindings();
    for (auto _ : state)
        benchmark::DoNotOptimize(binding_for(platform, code));
}

void BM_ScrollStep(benchmark::State &state) { lookup(state, Gesture::kScrollYInc); }
void BM_TapWithAGlobalBinding(benchmark::State &state) { lookup(state, Gesture::kTapTwo); }
void BM_SwipeWithTwentyOneAppSections(benchmark::State &state) { lookup(state, Gesture::kSwipeXDec); }

void BM_FocusedWindowClassOnTheXServer(benchmark::State &state)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no DISPLAY");
        return;
    }
    char instance[256], window_class[256];
    for (auto _ : state)
        benchmark::DoNotOptimize(get_focus_window_class(display, instance, window_class, 256));
    XCloseDisplay(display);
}

BENCHMARK(BM_ScrollStep);
BENCHMARK(BM_TapWithAGlobalBinding);
BENCHMARK(BM_SwipeWithTwentyOneAppSections);
BENCHMARK(BM_FocusedWindowClassOnTheXServer)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
