// A fake clock, a recording command runner and a scripted world for driving
// the drag lock and auto-scroll logic without threads, a shell or sleeping.
// Sleeping advances the fake clock and applies the script's flag changes
// that have fallen due; every shell command and every action-queue entry
// lands, in order, in one log.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine_state.h"
#include "platform.h"

// The engine state the drag and auto-scroll tests run on.
extern EngineShared engine;
// The fake clock, sleep and command log as the engine's platform.
extern const EnginePlatform fake_platform;

struct FakeEngine {
    // Resets the fakes and the engine state and (re)creates the semaphores.
    FakeEngine();
    ~FakeEngine();

    // Starts over within a test: clock at 0, empty log and script, engine
    // state reset, nothing queued.
    void restart();

    // At fake time at_ms (or at the first sleep that reaches it), run f.
    void at(long at_ms, std::function<void()> f);
    // After the n-th sleep (1 = the first), run f.
    void after_sleeps(int n, std::function<void()> f);

    // The log so far: commands as run, queue entries as "queue <code name>".
    std::vector<std::string> log();
    long now() const;
    int sleeps() const;
};

// Name of an action code as the log writes it ("DRAG_PRESS" ...).
std::string code_name(Gesture code);
