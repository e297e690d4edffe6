#include "motion_history.h"

PointMm MotionHistory::at(int64_t t_us) const
{
    if (count_ == 0)
        return {};
    // Positions are kept in time order: the last one at or before t_us (the
    // oldest when all are later), looked for from where the last look-up
    // ended.
    const uint64_t oldest = added_ - count_;
    unsigned i = hint_ < oldest ? 0 : static_cast<unsigned>(hint_ - oldest);
    if (i >= count_)
        i = count_ - 1;
    while (i > 0 && sample(i).t_us > t_us)
        --i;
    while (i + 1 < count_ && sample(i + 1).t_us <= t_us)
        ++i;
    hint_ = oldest + i;
    return sample(i).at;
}
