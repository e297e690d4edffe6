#include "replay.h"

#include <errno.h>
#include <time.h>

#include "block_publisher.h"
#include "pad_translator.h"

namespace {

int64_t monotonic_us()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void sleep_until(int64_t us)
{
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(us / 1000000);
    ts.tv_nsec = static_cast<long>(us % 1000000) * 1000;
    // A signal ends the sleep early; the caller looks at its stop flag.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

}  // namespace

ReplayClock system_replay_clock()
{
    ReplayClock c;
    c.now_us = monotonic_us;
    c.sleep_until_us = sleep_until;
    return c;
}

int replay_recording(const Recording &rec, TouchpadSharedBlock *block, const ReplayClock &clock,
                     const std::atomic<bool> *stop, ReplayObserver observer, void *observer_data)
{
    PadTranslator pad(rec.description);
    const int64_t first = rec.events.empty() ? 0 : rec.events.front().time_us;
    const int64_t start = clock.now_us();
    int reports = 0;
    int64_t due = start;
    for (const PadEvent &e : rec.events) {
        if (stop && stop->load())
            break;
        if (e.type == 0 && e.code == 0) {  // a report is due at its own time
            due = start + (e.time_us - first);
            while (clock.now_us() < due && !(stop && stop->load()))
                clock.sleep_until_us(due);
            if (stop && stop->load())
                break;
        }
        if (pad.feed(e)) {
            publish_state(block, pad.state());
            ++reports;
            if (observer)
                observer(due, clock.now_us(), observer_data);
        }
    }
    publish_state(block, pad.lift_all());
    return reports + 1;
}
