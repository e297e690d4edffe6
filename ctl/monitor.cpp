#include "monitor.h"

#include "block_watch.h"
#include "clock.h"
#include "finger_state.h"

#include <time.h>

#include <cerrno>
#include <cstring>

namespace {

// Every word of the finger state is watched.
bool watched_fields_equal(const TouchpadSharedBlock &a, const TouchpadSharedBlock &b, bool use_new)
{
    return read_finger_state(a, finger_record(use_new)) == read_finger_state(b, finger_record(use_new));
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

    const FingerState s = shown_finger_state(read_finger_state(cur, finger_record(st->use_new_record)));
    // The columns are the finger state's words in the list's order, the
    // multi group's words one after the other.
#define TITLE(name, ...) , #name
#define VALUE(name, ...) , s.name
#define VALUES(name, count) MONITOR_ITEMS_##count(s.name)
#define MONITOR_ITEMS_8(a) , (a)[0], (a)[1], (a)[2], (a)[3], (a)[4], (a)[5], (a)[6], (a)[7]
    if (st->header_countdown == 0) {
        fprintf(out, "%8s  %4s %4s %3s %3s %2s %2s %s %s %s %s  %8s  %4s %4s  %4s %4s  %4s %4s\n",
                "time" FINGER_STATE_FIELDS(TITLE, TITLE, TITLE, TITLE));
        st->header_countdown = 19;
    } else {
        --st->header_countdown;
    }
    fprintf(out, "%8.3f  %4d %4d %3d %3d %2d %2d %d %d %d %d  %d%d%d%d%d%d%d%d  %4d %4d  %4d %4d  %4d %4d\n",
            now - st->start_time FINGER_STATE_FIELDS(VALUE, VALUE, VALUE, VALUES));
#undef TITLE
#undef VALUE
#undef VALUES
#undef MONITOR_ITEMS_8
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
