#include "replay.h"

#include "pad_translator.h"

int replay_recording(const Recording &rec, const ReplayPlatform &platform, const std::atomic<bool> *stop,
                     ReplayObserver observer, void *observer_data)
{
    PadTranslator pad(rec.description);
    const int64_t first = rec.events.empty() ? 0 : rec.events.front().time_us;
    const int64_t start = platform.now_us(platform.ctx);
    int reports = 0;
    auto stopped = [stop] { return stop && stop->load(); };
    auto publish = [&](int64_t due) {
        platform.publish(platform.ctx, pad.state());
        ++reports;
        if (observer)
            observer(due, platform.now_us(platform.ctx), observer_data);
    };
    auto sleep_until = [&](int64_t until) {
        while (platform.now_us(platform.ctx) < until && !stopped())
            platform.sleep_until_us(platform.ctx, until);
    };
    int64_t frame = first, due = start;
    for (const PadEvent &e : rec.events) {
        if (stopped())
            break;
        if (e.time_us > frame || &e == &rec.events.front()) {
            // A new frame is due at its own time; a finger that landed
            // before may come to count meanwhile.
            for (int64_t at = pad.next_change_us(); at >= 0 && at < e.time_us && !stopped();
                 at = pad.next_change_us()) {
                sleep_until(start + (at - first));
                if (pad.tick(at))
                    publish(start + (at - first));
            }
            frame = e.time_us;
            due = start + (e.time_us - first);
            sleep_until(due);
            if (stopped())
                break;
        }
        if (pad.feed(e))
            publish(due);
    }
    platform.publish(platform.ctx, pad.lift_all());
    return reports + 1;
}
