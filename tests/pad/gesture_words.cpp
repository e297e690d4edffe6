#include "gesture_words.h"

#include <cstring>
#include <memory>
#include <sstream>

#include "block_defaults.h"
#include "block_fields.h"
#include "block_publisher.h"
#include "pad_translator.h"
#include "recogniser.h"
#include "replay.h"
#include "sampler.h"

namespace {

const char *word_of(Gesture g)
{
    switch (g) {
    case Gesture::kTapTwo: return "tap-2";
    case Gesture::kTapThree: return "tap-3";
    case Gesture::kScrollYDec: return "scroll-up";
    case Gesture::kScrollYInc: return "scroll-down";
    case Gesture::kScrollXDec: return "scroll-left";
    case Gesture::kScrollXInc: return "scroll-right";
    case Gesture::kZoomOut: return "zoom-out";
    case Gesture::kZoomIn: return "zoom-in";
    case Gesture::kRotateCW: return "rotate-cw";
    case Gesture::kRotateCCW: return "rotate-ccw";
    case Gesture::kSwipeXDec: return "swipe-left";
    case Gesture::kSwipeXInc: return "swipe-right";
    case Gesture::kMyHome: return "my-home";
    case Gesture::kSwitchWindowsBegin: return "switch-windows";
    case Gesture::kSwitchWindowsPrev: return "switch-previous";
    case Gesture::kSwitchWindowsNext: return "switch-next";
    case Gesture::kCover: return "cover";
    // Buttons, the end of switching and the drag logic's own entries are no
    // gesture of a recording's.
    case Gesture::kButtonLeft:
    case Gesture::kButtonMiddle:
    case Gesture::kButtonRight:
    case Gesture::kSwitchWindowsEnd:
    case Gesture::kTapClick:
    case Gesture::kDragRelease:
    case Gesture::kDragPress:
    case Gesture::kButtonRelease: break;
    }
    return nullptr;
}

bool is_scroll_step(Gesture g) { return g >= Gesture::kScrollYDec && g <= Gesture::kScrollXInc; }

// The engine in one thread: each published state polled once by the real
// sampler, each record it makes run through the real recogniser, and the
// action thread's one word the recogniser reads (scroll_active: the last
// action carried out was a scroll step) kept as that thread keeps it.
struct Engine {
    EngineShared shared;
    RecogniserState recogniser;
    SamplerState sampler;
    alignas(8) unsigned char block[kTouchpadShmSize];
    Words words;
    int64_t now_us = 0;

    Engine()
    {
        shared.reset();
        recogniser_init(&recogniser, shared);
        fill_default_block(block);
        for (const std::string &a : corpus_settings()) {
            const size_t eq = a.find('=');
            const BlockField *field = find_block_field(a.substr(0, eq).c_str());
            const int32_t v = std::stoi(a.substr(eq + 1));
            if (field)
                memcpy(block + field->offset, &v, sizeof v);
        }
        sampler_start(&sampler, 0, shared);
    }
    TouchpadSharedBlock *live() { return reinterpret_cast<TouchpadSharedBlock *>(block); }

    static void enqueue(void *ctx, Gesture code, int32_t)
    {
        Engine *e = static_cast<Engine *>(ctx);
        e->shared.scroll.scroll_active.store(is_scroll_step(code) ? 1 : 0);
        if (const char *w = word_of(code))
            e->words.push_back(w);
    }
    static void no_drag(void *) {}
    static void auto_scroll(void *ctx) { static_cast<Engine *>(ctx)->words.push_back("auto-scroll"); }
    static double now_s(void *ctx) { return static_cast<double>(static_cast<Engine *>(ctx)->now_us) / 1e6; }
    static void no_post(void *) {}
    static void no_command(void *, const char *) {}

    // The sampler's poll of what vorellpad published, at t_us.
    void poll(int64_t t_us)
    {
        now_us = t_us;
        const SamplerPorts ports{now_s, no_post, no_command, this};
        const int32_t head = shared.ring.head.load();
        sampler_poll(&sampler, live(), shared, ports);
        if (shared.ring.head.load() == head)
            return;  // no change the engine looks at
        const SampleRecord rec = shared.ring.entries[shared.ring.head.load() - 1];
        shared.ring.unread.fetch_sub(1);
        const RecogniserPorts rports{enqueue, no_drag, auto_scroll, this};
        recogniser_step(&recogniser, rec, shared, t_us / 1000, rports);
    }
};

}  // namespace

const Words &corpus_settings()
{
    static const Words settings = {
        "TappingCheckBox=1",
        "TwoFTComboBox=1",
        "ThreeFTComboBox=2",
        "VerticalScrollingCheckBox=1",
        "HorizontalScrollingCheckBox=1",
        "AutoScrollCheckBox=1",
        "ZoomCheckBox=1",
        "ZoomInComboBox=3",
        "ZoomOutComboBox=2",
        "RotationCheckBox=1",
        "ClockwiseComboBox=2",
        "CounterclosewiseComboBox=3",
        "DragCheckBox=1",
        "SwipePageCheckBox=1",
        "FastKeyCheckBox=1",
        "SwitchWindowsCheckBox=1",
        "MyHomeFileCheckBox=1",
        "CovergestureCheckBox=1",
        "CovergestureComboBox=16",
    };
    return settings;
}

bool expected_words(const std::string &text, Words *out)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# expect:", 0) != 0)
            continue;
        std::istringstream words(line.substr(9));
        out->clear();
        for (std::string w; words >> w;)
            if (w != "nothing")
                out->push_back(w);
        return true;
    }
    return false;
}

std::string join(const Words &words)
{
    std::string out;
    for (const std::string &w : words)
        out += (out.empty() ? "" : " ") + w;
    return out.empty() ? "nothing" : out;
}

Words collapse(const Words &words)
{
    Words out;
    for (const std::string &w : words) {
        // Taps and drags are whole gestures each; scroll, zoom and rotation
        // come in steps.
        const bool whole = w == "tap-2" || w == "tap-3" || w == "drag";
        if (out.empty() || out.back() != w || whole)
            out.push_back(w);
    }
    return out;
}

Words engine_words(const Recording &rec, std::vector<std::string> *trace)
{
    auto engine = std::make_unique<Engine>();
    // vorellpad's own replay on a clock that jumps to whatever it waits for:
    // every state it publishes is polled at the time it was due.
    struct Run {
        Engine *engine;
        std::vector<std::string> *trace;
        int64_t now = 0, last = 0;
    } run{engine.get(), trace};
    const ReplayPlatform clock{[](void *ctx) { return static_cast<Run *>(ctx)->now; },
                               [](void *ctx, int64_t until) { static_cast<Run *>(ctx)->now = until; },
                               [](void *ctx, const FingerState &state) {
                                   publish_state(static_cast<Run *>(ctx)->engine->live(), state);
                               },
                               &run};
    auto poll = [](int64_t due, int64_t, void *data) {
        Run &r = *static_cast<Run *>(data);
        const size_t before = r.engine->words.size();
        r.engine->poll(due);
        r.last = due;
        if (!r.trace)
            return;
        const FingerRecord &s = r.engine->live()->NewStructFingers;
        const TouchpadSharedBlock &b = *r.engine->live();
        char line[200];
        snprintf(line, sizeof line, "%8.3f f=%d x=%d y=%d w=%d pair=%d,%d %d,%d three=%d,%d l=%d r=%d",
                 due / 1e6, s.f, b.x, b.y, b.w, s.x2_1, s.y2_1, s.x2_2, s.y2_2, s.x3_1, s.y3_1, s.l, s.r);
        std::string text = line;
        for (size_t i = before; i < r.engine->words.size(); ++i)
            text += " -> " + r.engine->words[i];
        r.trace->push_back(text);
    };
    replay_recording(rec, clock, nullptr, poll, &run);
    poll(run.last + 10000, 0, &run);  // the lift at the end
    return collapse(engine->words);
}
