#include "replay.h"

#include <time.h>

#include "block_publisher.h"
#include "clock.h"
#include "pad_translator.h"

namespace {

int64_t real_now_us(void *) { return monotonic_now_us(); }

void real_sleep_until_us(void *, int64_t us)
{
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(us / 1000000);
    ts.tv_nsec = static_cast<long>(us % 1000000) * 1000;
    // A signal ends the sleep early; the caller looks at its stop flag.
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

}  // namespace

ReplayPlatform real_replay_platform() { return {real_now_us, real_sleep_until_us, nullptr}; }

int replay_recording(const Recording &rec, TouchpadSharedBlock *block, const ReplayPlatform &platform,
                     const std::atomic<bool> *stop, ReplayObserver observer, void *observer_data)
{
    PadTranslator pad(rec.description);
    const int64_t first = rec.events.empty() ? 0 : rec.events.front().time_us;
    const int64_t start = platform.now_us(platform.ctx);
    int reports = 0;
    int64_t due = start;
    for (const PadEvent &e : rec.events) {
        if (stop && stop->load())
            break;
        if (e.type == 0 && e.code == 0) {  // a report is due at its own time
            due = start + (e.time_us - first);
            while (platform.now_us(platform.ctx) < due && !(stop && stop->load()))
                platform.sleep_until_us(platform.ctx, due);
            if (stop && stop->load())
                break;
        }
        if (pad.feed(e)) {
            publish_state(block, pad.state());
            ++reports;
            if (observer)
                observer(due, platform.now_us(platform.ctx), observer_data);
        }
    }
    publish_state(block, pad.lift_all());
    return reports + 1;
}
