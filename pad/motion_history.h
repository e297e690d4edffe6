// Where one contact was at its last reports: enough to say how far it moved
// over the last fraction of a second, which is what tells a resting finger
// from a moving one and a pinch from a scroll.
#pragma once

#include <cstdint>

struct PointMm {
    double x = 0, y = 0;
};

inline PointMm operator-(PointMm a, PointMm b) { return {a.x - b.x, a.y - b.y}; }
inline PointMm operator+(PointMm a, PointMm b) { return {a.x + b.x, a.y + b.y}; }
inline PointMm operator*(PointMm a, double k) { return {a.x * k, a.y * k}; }
double length(PointMm v);

class MotionHistory {
public:
    void clear() { count_ = 0; }
    void add(int64_t t_us, PointMm at);
    // Where the contact was at time t_us: the newest position reported at
    // or before it, or the oldest one kept when all are later.
    PointMm at(int64_t t_us) const;
    // The movement from t_us to the newest position.
    PointMm moved_since(int64_t t_us) const { return newest() - at(t_us); }
    PointMm newest() const;
    bool empty() const { return count_ == 0; }

    // Positions kept: more than a 250 ms window at 200 reports a second.
    static constexpr int kSize = 64;

private:
    struct Sample {
        int64_t t_us;
        PointMm at;
    };
    Sample samples_[kSize] = {};
    int next_ = 0, count_ = 0;
};
