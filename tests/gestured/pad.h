// A touchpad in the user's terms for recogniser tests: fingers go down, move
// and lift; every sample runs one recogniser step at a fake clock that
// advances 8 ms per sample (a driver's 125 Hz), and everything the
// recogniser hands on is recorded as an event.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "recogniser.h"

struct Event {
    enum Kind { kAction, kDragPost, kAutoScrollPost } kind;
    Gesture code;
    int32_t arg;
    bool operator==(const Event &o) const { return kind == o.kind && code == o.code && arg == o.arg; }
};
std::ostream &operator<<(std::ostream &os, const Event &e);

inline Event action(Gesture code, int32_t arg = 0) { return Event{Event::kAction, code, arg}; }
inline Event drag_post() { return Event{Event::kDragPost, Gesture::kButtonLeft, 0}; }
inline Event auto_scroll_post() { return Event{Event::kAutoScrollPost, Gesture::kButtonLeft, 0}; }

using Events = std::vector<Event>;

class Pad {
public:
    Pad();

    EngineShared engine;                           // the words the recogniser shares
    SettingsSnapshot &settings = engine.settings;  // tests set members before feeding samples
    RecogniserState state;
    int64_t now_ms = 1000000;
    int32_t sample_period_ms = 8;

    // One raw record. The clock advances by the sample period first.
    void sample(const SampleRecord &rec);

    // Every move below adds its vector at each of n samples.
    // One finger down at (x, y) with contact width w.
    void down1(int32_t x, int32_t y, int32_t w = 0);
    void move1(int32_t dx, int32_t dy, int n);
    // Two fingers at (x1, y1) and (x2, y2); each moves by its own vector.
    void down2(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void move2(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int n);
    // Three fingers, reported as one position.
    void down3(int32_t x, int32_t y, int32_t w = 0);
    // Contact width of the following samples.
    void width(int32_t w) { cur_.w = w; }
    void move3(int32_t dx, int32_t dy, int n);
    // The same state again, n more times (the driver reports a change of a
    // field the recogniser does not look at).
    void hold(int n);
    // No finger.
    void lift();
    // Buttons of the following samples.
    void buttons(int32_t l, int32_t r, int32_t m);
    // Time passes without samples.
    void later(int ms) { now_ms += ms; }

    // Everything handed on since the last call.
    Events take();

private:
    static void on_enqueue(void *ctx, Gesture code, int32_t arg);
    static void on_drag(void *ctx);
    static void on_auto_scroll(void *ctx);
    void emit();
    // Adds (dx, dy) to one reported position at each of n samples.
    void move_point(int32_t SampleRecord::*x, int32_t SampleRecord::*y, int32_t dx, int32_t dy, int n);

    RecogniserPorts ports_;
    Events events_;
    SampleRecord cur_{};
};
