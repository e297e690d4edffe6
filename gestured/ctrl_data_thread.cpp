// ctrl_data_thread: takes the sampler's records one by one, in order, and
// runs the recogniser on each.
#include <sys/time.h>

#include "recogniser.h"

// Wall-clock milliseconds (seconds and milliseconds of the time of day).
int64_t wall_clock_ms() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return static_cast<int64_t>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}

// Takes the next posted record off the ring and frees its slot.
static SampleRecord take_sample() {
    engine_sem_wait(&get_data_sem);
    int32_t tail = engine.ring.tail.load(std::memory_order_relaxed);
    SampleRecord rec = engine.ring.entries[tail];
    engine.ring.tail.store(tail + 1 >= kSampleRingSize ? 0 : tail + 1);
    engine.ring.unread.fetch_sub(1);
    return rec;
}

void *ctrl_data_thread(void *) {
    static RecogniserState state;
    recogniser_init(&state);
    for (;;) {
        SampleRecord rec = take_sample();
        recogniser_step(&state, rec, engine.settings, wall_clock_ms(), kEnginePorts);
    }
    return nullptr;
}
