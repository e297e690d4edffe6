// recogniser_seed [--wide] OUT_DIR TRACE...: writes one recogniser fuzz input
// per recorded trace (monitor line format) into OUT_DIR, with every gesture
// of the settings panel switched on, so that the fuzzer starts from real
// touches.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "finger_trace.h"
#include "recogniser_input.h"
#include "sampler.h"

namespace {

void all_gestures_on(SettingsSnapshot &s)
{
    for (std::atomic<int32_t> *on :
         {&s.ButtonCheckBox, &s.TappingCheckBox, &s.VerticalScrollingCheckBox, &s.HorizontalScrollingCheckBox,
          &s.AutoScrollCheckBox, &s.ZoomCheckBox, &s.RotationCheckBox, &s.DragCheckBox,
          &s.LiftReleaseRadioButton, &s.SwipePageCheckBox, &s.FastKeyCheckBox, &s.MyHomeFileCheckBox,
          &s.SwitchWindowsCheckBox, &s.CovergestureCheckBox})
        on->store(1);
    s.ButtonLeftComboBox = 1;
    s.TwoFTComboBox = 2;
    s.ThreeFTComboBox = 3;
    s.ScrollingSpeedSlider = 10;
    s.ZoomSlider = 5;
    s.RotationSlider = 5;
    s.CovergestureSlider = 12;
    s.DragSlider = 2.0;
}

bool convert(const char *path, bool wide, std::string &out)
{
    TraceReading reading;
    if (!read_trace_file(path, &reading))
        return false;
    SettingsSnapshot snap;
    all_gestures_on(snap);
    write_settings(out, wide, snap);
    double last = -1;
    for (const TraceStep &step : reading.steps) {
        FuzzSample s{};
        s.dt_ms = last < 0 ? 8 : static_cast<int32_t>(std::lround((step.time - last) * 1000));
        last = step.time;
        s.rec = sample_record_of(step.state);
        write_sample(out, wide, s);
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    int i = 1;
    bool wide = false;
    if (i < argc && strcmp(argv[i], "--wide") == 0) {
        wide = true;
        ++i;
    }
    if (argc - i < 2) {
        fputs("usage: recogniser_seed [--wide] OUT_DIR TRACE...\n", stderr);
        return 2;
    }
    const std::string dir = argv[i++];
    int written = 0;
    for (; i < argc; ++i) {
        std::string data;
        if (!convert(argv[i], wide, data)) {
            fprintf(stderr, "recogniser_seed: cannot read %s\n", argv[i]);
            return 1;
        }
        const char *base = strrchr(argv[i], '/');
        std::string name = dir + "/" + std::to_string(written) + "-" + (base ? base + 1 : argv[i]) + ".seed";
        FILE *f = fopen(name.c_str(), "wb");
        if (!f || fwrite(data.data(), 1, data.size(), f) != data.size() || fclose(f) != 0) {
            fprintf(stderr, "recogniser_seed: cannot write %s\n", name.c_str());
            return 1;
        }
        ++written;
    }
    printf("%d seeds\n", written);
    return 0;
}
