// Recorded traces in the monitor's line format, replayed through the
// recogniser at their own timing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "finger_trace.h"
#include "pad.h"
#include "sampler.h"
#include "support.h"

namespace {

// Feeds every data line of a trace file to the pad, the clock following the
// trace's own times; the record carries the position set that f selects.
void replay(Pad &pad, const std::string &name)
{
    TraceReading trace;
    ASSERT_TRUE(read_trace_file(source_dir() + "/tests/gestured/traces/" + name, &trace)) << name;
    ASSERT_EQ(trace.bad_line, 0) << name << ": " << trace.why;
    const int64_t start = pad.now_ms;
    for (const TraceStep &step : trace.steps) {
        pad.now_ms = start + std::llround(step.time * 1000) - pad.sample_period_ms;
        pad.sample(sample_record_of(step.state));
    }
}

TEST(TraceReplay, FlickScrollStepsThenStartsAutoScroll)
{
    Pad pad;
    pad.settings.VerticalScrollingCheckBox = 1;
    pad.settings.ScrollingSpeedSlider = 10;  // a step per 6 of travel
    pad.settings.AutoScrollCheckBox = 1;
    pad.settings.TappingCheckBox = 1;
    pad.engine.scroll.scroll_active = 1;  // as after the action thread's first scroll step
    replay(pad, "flick_scroll.trace");
    // Seven movements of 6 to 9 (the smaller finger's): one step each; the
    // lift 40 ms after the last movement starts auto-scrolling; no tap.
    Events want(7, action(Gesture::kScrollYInc));
    want.push_back(auto_scroll_post());
    EXPECT_EQ(pad.take(), want);
}

}  // namespace
