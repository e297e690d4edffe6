#include "replay.h"

#include "pad_translator.h"

int replay_recording(const Recording &rec, const ReplayPlatform &platform, const std::atomic<bool> *stop,
                     ReplayObserver observer, void *observer_data)
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
            platform.publish(platform.ctx, pad.state());
            ++reports;
            if (observer)
                observer(due, platform.now_us(platform.ctx), observer_data);
        }
    }
    platform.publish(platform.ctx, pad.lift_all());
    return reports + 1;
}
