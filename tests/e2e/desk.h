// One private desktop for an end-to-end test: an Xvfb, the simulated
// touchpad block, the recorder (which owns the focused window and prints
// every key and button that reaches the server) and the real gestured, with
// the real vorellctl, xte and xsetroot on its path.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "support.h"

struct TouchpadSharedBlock;

struct XEventSeen {
    double ms;
    std::string type;    // KeyPress, KeyRelease, ButtonPress, ButtonRelease
    std::string detail;  // key name or button number
    std::string str() const { return type + " " + detail; }
};

// More of the desk: the focused window's WM_CLASS ("" = none) and words
// NAME=value for gestured's environment.
struct DeskExtras {
    std::string window_class;
    std::vector<std::string> engine_env;
};

class Desk {
public:
    // settings: tpsim assignments ("AutoScrollCheckBox=1") applied before
    // gestured starts; title: the focused window's title ("" = none).
    // engine_options: extra command-line words for gestured.
    explicit Desk(const std::vector<std::string> &settings = {}, const std::string &title = "",
                  const std::vector<std::string> &engine_options = {}, const DeskExtras &extras = {});
    ~Desk();

    // Replays tests/e2e/traces/<name>.trace into the block, with its timing
    // (into NewStructFingers).
    void replay(const std::string &name);
    // After the test removed the block and made a new one: replay() attaches
    // the new one.
    void forget_block();
    // From now on the desk is a publisher that signals each state replay()
    // writes, as vorellpad does, so the engine sleeps between touches.
    void signal_reports();
    // Returns once the sampler has stayed asleep for quiet_ms (true), or
    // false when it still polls after timeout_s.
    bool wait_for_sampler_asleep(int quiet_ms = 200, double timeout_s = 10.0);
    // Writes one whole finger state ("f=1", "x=3000", ...), then gives the
    // engine a sample period to see it.
    void fingers(const std::vector<std::string> &columns);
    // Three fingers down and moving, one state at a time, until the engine
    // has begun switching windows (with FastKeyCheckBox=1: Alt_L down, one
    // Tab); the fingers stay down. False when the Tab does not arrive.
    bool start_window_switch();
    // Changes block fields by name, as the settings panel would.
    void set(const std::vector<std::string> &assignments);
    std::string get(const std::string &field);

    // Everything recorded since the engine was found ready, in order.
    std::vector<XEventSeen> events();
    // "ButtonPress 5" etc., in order.
    std::vector<std::string> lines();
    int count(const std::string &line);
    // Polls until line has been seen n times (true) or timeout_s passes.
    bool wait_for(const std::string &line, int n = 1, double timeout_s = 10.0);
    // Polls until a block field holds value.
    bool wait_for_field(const std::string &field, const std::string &value, double timeout_s = 10.0);
    // Lets anything still under way arrive: returns once nothing new has
    // been recorded for quiet_ms.
    void settle(int quiet_ms = 400);

    // Returns once the engine's sampler has copied the block at least once
    // since the call (it is watched through the kernel's count of its
    // sleeps), so that a state written before is sure to have been seen.
    void wait_for_sampler();

    Background &engine() { return *engine_; }
    const Xvfb &x() const { return x_; }

private:
    Xvfb x_;
    std::unique_ptr<Background> recorder_;
    std::unique_ptr<Background> engine_;
    size_t skip_ = 0;             // events of the start-up probe
    std::string sampler_status_;  // /proc status file of the sampler thread
    TouchpadSharedBlock *block_ = nullptr;
    bool signalling_ = false;
};

// Polls until the engine process pid has all its threads (by then a signal
// ends it through its release step, not the default action); false after
// timeout_s.
bool wait_for_engine_threads(pid_t pid, double timeout_s = 20.0);

// The gesture traces folder.
std::string trace_path(const std::string &name);
