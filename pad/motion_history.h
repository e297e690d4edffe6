// Where one contact was at its last reports: enough to say how far it moved
// over the last fraction of a second, which is what tells a resting finger
// from a moving one and a pinch from a scroll.
#pragma once

#include <cmath>
#include <cstdint>

struct PointMm {
    double x = 0, y = 0;
};

inline PointMm operator-(PointMm a, PointMm b) { return {a.x - b.x, a.y - b.y}; }
inline PointMm operator+(PointMm a, PointMm b) { return {a.x + b.x, a.y + b.y}; }
inline PointMm operator*(PointMm a, double k) { return {a.x * k, a.y * k}; }
// Positions stay within a few hundred metres (unit_map.h): no square
// overflows, and hypot's care would only cost time at every report.
inline double length(PointMm v) { return std::sqrt(v.x * v.x + v.y * v.y); }

class MotionHistory {
public:
    void clear() { count_ = 0; }
    void add(int64_t t_us, PointMm at)
    {
        samples_[next_] = Sample{t_us, at};
        next_ = (next_ + 1) % kSize;
        ++added_;
        if (count_ < kSize)
            ++count_;
    }
    // Where the contact was at time t_us: the newest position reported at
    // or before it, or the oldest one kept when all are later.
    PointMm at(int64_t t_us) const;
    // The movement from t_us to the newest position.
    PointMm moved_since(int64_t t_us) const { return newest() - at(t_us); }
    PointMm newest() const { return count_ == 0 ? PointMm{} : sample(count_ - 1).at; }
    bool empty() const { return count_ == 0; }

    // Positions kept: more than a 250 ms window at 200 reports a second.
    static constexpr unsigned kSize = 64;

private:
    struct Sample {
        int64_t t_us;
        PointMm at;
    };
    // The i-th oldest position kept.
    const Sample &sample(unsigned i) const { return samples_[(next_ - count_ + i) % kSize]; }
    Sample samples_[kSize] = {};
    unsigned next_ = 0, count_ = 0;
    // Where the last look-up ended, counted from the first position ever
    // added: windows move forward a report at a time, so the next look-up
    // starts there and takes a step or two.
    uint64_t added_ = 0;
    mutable uint64_t hint_ = 0;
};
