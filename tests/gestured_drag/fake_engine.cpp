#include "fake_engine.h"

#include <semaphore.h>

#include <algorithm>
#include <utility>

#include "engine_state.h"
#include "platform.h"

namespace {

struct Scripted {
    long at_ms;
    int after_sleep;  // 0 = by time
    std::function<void()> f;
};

long fake_ms = 0;
int sleep_count = 0;
std::vector<std::string> entries;
std::vector<Scripted> script;

// Queue entries posted so far go into the log before whatever comes next.
void drain_queue()
{
    while (sem_trywait(&engine.queue.posted) == 0) {
        ActionEntry e;
        engine.queue.take_posted(&e);
        entries.push_back("queue " + code_name(e.code));
    }
}

void run_due()
{
    for (size_t i = 0; i < script.size();) {
        Scripted &s = script[i];
        bool due = s.after_sleep ? sleep_count >= s.after_sleep : fake_ms >= s.at_ms;
        if (due) {
            auto f = s.f;
            script.erase(script.begin() + static_cast<long>(i));
            f();
            i = 0;
        } else {
            ++i;
        }
    }
}

int64_t fake_now(void *) { return 1'700'000'000'000LL + fake_ms; }

void fake_sleep(void *, int ms)
{
    fake_ms += ms;
    ++sleep_count;
    run_due();
}

void fake_run(void *, const char *command)
{
    drain_queue();
    entries.push_back(command);
}

void no_input(void *, const char *, int, InputKind) {}
int no_title(void *, char *, int) { return -1; }

}  // namespace

EngineShared engine;
const EnginePlatform fake_platform = {fake_now, fake_sleep, fake_run, no_input, no_title, nullptr};

std::string code_name(Gesture code)
{
    // The drag logic's own entries by name, any other by number.
    if (code == Gesture::kTapClick)
        return "TAP_CLICK";
    if (code == Gesture::kDragRelease)
        return "DRAG_RELEASE";
    if (code == Gesture::kDragPress)
        return "DRAG_PRESS";
    return std::to_string(static_cast<int32_t>(code));
}

FakeEngine::FakeEngine()
{
    fake_ms = 0;
    sleep_count = 0;
    entries.clear();
    script.clear();
    sem_init(&engine.queue.posted, 0, 0);
    sem_init(&engine.drag.events, 0, 0);
    sem_init(&engine.scroll.starts, 0, 0);
    engine.reset();
}

FakeEngine::~FakeEngine()
{
    sem_destroy(&engine.queue.posted);
    sem_destroy(&engine.drag.events);
    sem_destroy(&engine.scroll.starts);
}

void FakeEngine::restart()
{
    while (sem_trywait(&engine.queue.posted) == 0) {
    }
    while (sem_trywait(&engine.drag.events) == 0) {
    }
    while (sem_trywait(&engine.scroll.starts) == 0) {
    }
    fake_ms = 0;
    sleep_count = 0;
    entries.clear();
    script.clear();
    engine.reset();
}

void FakeEngine::at(long at_ms, std::function<void()> f) { script.push_back({at_ms, 0, std::move(f)}); }
void FakeEngine::after_sleeps(int n, std::function<void()> f) { script.push_back({0, n, std::move(f)}); }

std::vector<std::string> FakeEngine::log()
{
    drain_queue();
    return entries;
}

long FakeEngine::now() const { return fake_ms; }
int FakeEngine::sleeps() const { return sleep_count; }
