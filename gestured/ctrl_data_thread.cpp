// ctrl_data_thread: takes the sampler's records one by one, in order, and
// runs the recogniser on each.
#include "clock.h"
#include "recogniser.h"

// Takes the next posted record off the ring and frees its slot.
static SampleRecord take_sample(SampleRing &ring)
{
    engine_sem_wait(&ring.posted);
    int32_t tail = ring.tail.load(std::memory_order_relaxed);
    SampleRecord rec = ring.entries[tail];
    ring.tail.store(tail + 1 >= kSampleRingSize ? 0 : tail + 1);
    ring.unread.fetch_sub(1);
    return rec;
}

void *ctrl_data_thread(void *arg)
{
    EngineShared &engine = *static_cast<const EngineThreadArgs *>(arg)->shared;
    static RecogniserState state;
    recogniser_init(&state, engine);
    const RecogniserPorts ports = engine_recogniser_ports(&engine);
    for (;;) {
        SampleRecord rec = take_sample(engine.ring);
        recogniser_step(&state, rec, engine, monotonic_now_ms(), ports);
    }
    return nullptr;
}
