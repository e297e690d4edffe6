#include "motion_history.h"

#include <cmath>

double length(PointMm v) { return std::hypot(v.x, v.y); }

void MotionHistory::add(int64_t t_us, PointMm at)
{
    samples_[next_] = Sample{t_us, at};
    next_ = (next_ + 1) % kSize;
    if (count_ < kSize)
        ++count_;
}

PointMm MotionHistory::newest() const
{
    if (count_ == 0)
        return {};
    return samples_[(next_ + kSize - 1) % kSize].at;
}

PointMm MotionHistory::at(int64_t t_us) const
{
    if (count_ == 0)
        return {};
    int i = (next_ + kSize - 1) % kSize;
    for (int n = 0; n < count_; ++n) {
        if (samples_[i].t_us <= t_us)
            return samples_[i].at;
        if (n + 1 < count_)
            i = (i + kSize - 1) % kSize;
    }
    return samples_[i].at;  // the oldest kept
}
