#include "monitor.h"

#include "block_watch.h"
#include "clock.h"

#include <time.h>

#include <cerrno>
#include <cstring>

namespace {

const FingerRecord &record_of(const TouchpadSharedBlock &b, bool use_new)
{
    return use_new ? b.NewStructFingers : b.OldStructFingers;
}

bool watched_fields_equal(const TouchpadSharedBlock &a, const TouchpadSharedBlock &b, bool use_new)
{
    if (a.x != b.x || a.y != b.y || a.z != b.z || a.w != b.w)
        return false;
    // Every word of the finger record is watched.
    return memcmp(&record_of(a, use_new), &record_of(b, use_new), sizeof(FingerRecord)) == 0;
}

// Sleeps the whole interval, however long, resuming after signals.
void pause_ms(long interval_ms)
{
    struct timespec left;
    left.tv_sec = static_cast<time_t>(interval_ms / 1000);
    left.tv_nsec = (interval_ms % 1000) * 1000000L;
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

}  // namespace

void monitor_init(MonitorState *st, bool use_new_record, double now)
{
    memset(st, 0, sizeof *st);
    st->start_time = now;
    st->previous.x = -1;
    st->header_countdown = 0;
    st->use_new_record = use_new_record;
}

bool monitor_cycle(MonitorState *st, const TouchpadSharedBlock &cur, double now, FILE *out)
{
    if (watched_fields_equal(cur, st->previous, st->use_new_record))
        return false;
    if (cur.NewStruct != (st->use_new_record ? 1 : 0))
        return false;

    const FingerRecord &r = record_of(cur, st->use_new_record);
    int32_t x = 0, y = 0, x2_1 = 0, y2_1 = 0, x2_2 = 0, y2_2 = 0, x3_1 = 0, y3_1 = 0;
    if (r.f == 1) {
        x = cur.x;
        y = cur.y;
    } else if (r.f == 2) {
        x2_1 = r.x2_1;
        y2_1 = r.y2_1;
        x2_2 = r.x2_2;
        y2_2 = r.y2_2;
    } else if (r.f == 3) {
        x3_1 = r.x3_1;
        y3_1 = r.y3_1;
    }

    if (st->header_countdown == 0) {
        fprintf(out, "%8s  %4s %4s %3s %3s %2s %2s %s %s %s %s  %8s  %4s %4s  %4s %4s  %4s %4s\n", "time",
                "x", "y", "z", "w", "f", "l", "r", "u", "d", "m", "multi", "x2_1", "y2_1", "x2_2", "y2_2",
                "x3_1", "y3_1");
        st->header_countdown = 19;
    } else {
        --st->header_countdown;
    }
    fprintf(out, "%8.3f  %4d %4d %3d %3d %2d %2d %d %d %d %d  %d%d%d%d%d%d%d%d  %4d %4d  %4d %4d  %4d %4d\n",
            now - st->start_time, x, y, cur.z, cur.w, r.f, r.l, r.r, r.u, r.d, r.m, r.multi[0], r.multi[1],
            r.multi[2], r.multi[3], r.multi[4], r.multi[5], r.multi[6], r.multi[7], x2_1, y2_1, x2_2, y2_2,
            x3_1, y3_1);
    fflush(out);
    st->previous = cur;
    return true;
}

void run_monitor(const TouchpadSharedBlock *block, long interval_ms, bool use_new_record)
{
    static MonitorState st;
    monitor_init(&st, use_new_record, wall_clock_now_seconds());
    // A driver restart creates the block anew: watch the new one in its place.
    BlockWatch watch;
    block_watch_init(&watch);
    void *mapping = const_cast<TouchpadSharedBlock *>(block);
    const char *program = use_new_record ? "vorellctl2" : "vorellctl";
    for (;;) {
        block_watch_poll(&watch, mapping, program);
        TouchpadSharedBlock cur;
        memcpy(&cur, block, sizeof cur);
        monitor_cycle(&st, cur, wall_clock_now_seconds(), stdout);
        if (interval_ms > 0)
            pause_ms(interval_ms);
    }
}
