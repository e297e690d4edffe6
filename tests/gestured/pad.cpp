#include "pad.h"

std::ostream &operator<<(std::ostream &os, const Event &e)
{
    switch (e.kind) {
    case Event::kAction: return os << "action(" << static_cast<int32_t>(e.code) << ", " << e.arg << ")";
    case Event::kDragPost: return os << "drag_post";
    case Event::kAutoScrollPost: return os << "auto_scroll_post";
    }
    return os;
}

Pad::Pad()
{
    engine.reset();
    recogniser_init(&state, engine);
    ports_ = RecogniserPorts{on_enqueue, on_drag, on_auto_scroll, this};
}

void Pad::on_enqueue(void *ctx, Gesture code, int32_t arg)
{
    static_cast<Pad *>(ctx)->events_.push_back(action(code, arg));
}
void Pad::on_drag(void *ctx) { static_cast<Pad *>(ctx)->events_.push_back(drag_post()); }
void Pad::on_auto_scroll(void *ctx) { static_cast<Pad *>(ctx)->events_.push_back(auto_scroll_post()); }

void Pad::sample(const SampleRecord &rec)
{
    now_ms += sample_period_ms;
    cur_ = rec;
    recogniser_step(&state, rec, engine, now_ms, ports_);
}

void Pad::emit() { sample(cur_); }

void Pad::down1(int32_t x, int32_t y, int32_t w)
{
    SampleRecord r = cur_;
    r.x = x;
    r.y = y;
    r.w = w;
    r.x2_1 = r.y2_1 = r.x2_2 = r.y2_2 = r.x3_1 = r.y3_1 = 0;
    r.f = 1;
    sample(r);
}

void Pad::move_point(int32_t SampleRecord::*x, int32_t SampleRecord::*y, int32_t dx, int32_t dy, int n)
{
    for (int i = 0; i < n; ++i) {
        cur_.*x += dx;
        cur_.*y += dy;
        emit();
    }
}

void Pad::move1(int32_t dx, int32_t dy, int n) { move_point(&SampleRecord::x, &SampleRecord::y, dx, dy, n); }

void Pad::down2(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SampleRecord r = cur_;
    r.x = r.y = r.x3_1 = r.y3_1 = 0;
    r.x2_1 = x1;
    r.y2_1 = y1;
    r.x2_2 = x2;
    r.y2_2 = y2;
    r.f = 2;
    sample(r);
}

void Pad::move2(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int n)
{
    for (int i = 0; i < n; ++i) {
        cur_.x2_1 += dx1;
        cur_.y2_1 += dy1;
        cur_.x2_2 += dx2;
        cur_.y2_2 += dy2;
        emit();
    }
}

void Pad::down3(int32_t x, int32_t y, int32_t w)
{
    SampleRecord r = cur_;
    r.x = r.y = r.x2_1 = r.y2_1 = r.x2_2 = r.y2_2 = 0;
    r.x3_1 = x;
    r.y3_1 = y;
    r.w = w;
    r.f = 3;
    sample(r);
}

void Pad::move3(int32_t dx, int32_t dy, int n)
{
    move_point(&SampleRecord::x3_1, &SampleRecord::y3_1, dx, dy, n);
}

void Pad::hold(int n)
{
    for (int i = 0; i < n; ++i)
        emit();
}

void Pad::lift()
{
    SampleRecord r = cur_;
    r.x = r.y = r.x2_1 = r.y2_1 = r.x2_2 = r.y2_2 = r.x3_1 = r.y3_1 = 0;
    r.w = 0;
    r.f = 0;
    sample(r);
}

void Pad::buttons(int32_t l, int32_t r, int32_t m)
{
    cur_.l = l;
    cur_.r = r;
    cur_.m = m;
}

Events Pad::take()
{
    Events out;
    out.swap(events_);
    return out;
}
