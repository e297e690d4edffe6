#include "driver_parameters.h"

#include <stdio.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <mutex>

#include "command_runner.h"
#include "saved_parameters.h"
#include "touchpad_block.h"

namespace {

struct DriverParameter {
    const char *name;
    size_t offset;
    std::atomic<int32_t> before;  // the user's value
    std::atomic<bool> remembered;
    std::atomic<bool> changed;  // differs from the user's: by a command since, or left so by a dead engine
    std::atomic<int32_t> last_set;  // the value of the engine's last command for it, or kNoCommand
};

constexpr int32_t kNoCommand = INT32_MIN;

constexpr int kParameterCount = 5;
DriverParameter parameters[kParameterCount] = {
    {"TapButton1", offsetof(TouchpadSharedBlock, TapButton1), {0}, {false}, {false}, {kNoCommand}},
    {"TapButton2", offsetof(TouchpadSharedBlock, TapButton2), {0}, {false}, {false}, {kNoCommand}},
    {"TapButton3", offsetof(TouchpadSharedBlock, TapButton3), {0}, {false}, {false}, {kNoCommand}},
    {"DragHoldButton", offsetof(TouchpadSharedBlock, DragHoldButton), {0}, {false}, {false}, {kNoCommand}},
    {"DragTimeoutRelease",
     offsetof(TouchpadSharedBlock, DragTimeoutRelease),
     {0},
     {false},
     {false},
     {kNoCommand}},
};

constexpr char kClient[] = "vorellctl ";

// The state file's path; written by main before the threads start, read by
// the thread that remembers (a re-created block) and the clean-up.
std::mutex state_mutex;
std::string state_path;

// The five values of the usable block, and its segment id; false without one.
bool read_block(int32_t values[kParameterCount], int *id)
{
    // Values of another user's block are not the user's.
    BlockSeen seen;
    if (look_at_block(&seen) != BlockLook::kUsable)
        return false;
    void *base = shmat(seen.id, nullptr, SHM_RDONLY);
    if (base == reinterpret_cast<void *>(-1))
        return false;
    for (int i = 0; i < kParameterCount; ++i)
        memcpy(&values[i], static_cast<const char *>(base) + parameters[i].offset, sizeof values[i]);
    shmdt(base);
    *id = seen.id;
    return true;
}

// The state file's values, when it is there and was written for block id.
bool read_saved(const std::string &path, int id, SavedParameter saved[kParameterCount])
{
    for (int i = 0; i < kParameterCount; ++i)
        saved[i] = {parameters[i].name, 0, false};
    std::string text;
    int saved_id = -1;
    return !path.empty() && read_private_file(path, &text) &&
           parse_saved_parameters(text, &saved_id, saved, kParameterCount) && saved_id == id;
}

void write_saved(const std::string &path, int id)
{
    if (path.empty())
        return;
    SavedParameter saved[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i)
        saved[i] = {parameters[i].name, parameters[i].before.load(), true};
    if (!write_private_file(path, format_saved_parameters(id, saved, kParameterCount)))
        fprintf(stderr, "gestured: cannot keep the driver parameters in %s: %s\n", path.c_str(),
                strerror(errno));
}

std::string command_for(const DriverParameter &p, int32_t value)
{
    return std::string(kClient) + p.name + "=" + std::to_string(value);
}

}  // namespace

void driver_parameters_keep_in(const std::string &path)
{
    std::lock_guard<std::mutex> lock(state_mutex);
    state_path = path;
}

void driver_parameters_remember()
{
    std::lock_guard<std::mutex> lock(state_mutex);
    int32_t now[kParameterCount];
    int id = -1;
    if (!read_block(now, &id))
        return;
    // A file of this block that the engine did not write in this run: an
    // engine that died left it, with the user's values under its own.
    SavedParameter saved[kParameterCount];
    const bool dead_engines = !parameters[0].remembered.load() && read_saved(state_path, id, saved);
    for (int i = 0; i < kParameterCount; ++i) {
        DriverParameter &p = parameters[i];
        if (dead_engines && saved[i].present) {
            p.before.store(saved[i].value);
            p.changed.store(p.changed.load() || now[i] != saved[i].value);
        } else if (!(p.remembered.load() && p.changed.load() && now[i] == p.last_set.load())) {
            p.before.store(now[i]);
        }
        p.remembered.store(true);
    }
    write_saved(state_path, id);
}

void driver_parameters_note_command(const char *command)
{
    if (!command || strncmp(command, kClient, sizeof kClient - 1) != 0)
        return;
    const char *assignment = command + sizeof kClient - 1;
    for (DriverParameter &p : parameters) {
        size_t n = strlen(p.name);
        if (strncmp(assignment, p.name, n) == 0 && assignment[n] == '=') {
            p.last_set.store(static_cast<int32_t>(strtol(assignment + n + 1, nullptr, 10)));
            p.changed.store(true);
        }
    }
}

void driver_parameters_restore()
{
    for (DriverParameter &p : parameters) {
        if (!p.remembered.load() || !p.changed.load())
            continue;
        run_command_final(command_for(p, p.before.load()).c_str());
    }
    // Cleared as well: a block replaced during the end must not write the
    // file again.
    std::lock_guard<std::mutex> lock(state_mutex);
    if (!state_path.empty())
        unlink(state_path.c_str());
    state_path.clear();
}

void driver_parameters_put_back_saved(const std::string &path)
{
    int32_t now[kParameterCount];
    int id = -1;
    SavedParameter saved[kParameterCount];
    // A block made anew since holds the driver's values, not the engine's.
    if (read_block(now, &id) && read_saved(path, id, saved)) {
        for (int i = 0; i < kParameterCount; ++i)
            if (saved[i].present && saved[i].value != now[i])
                run_command_bounded(command_for(parameters[i], saved[i].value).c_str());
    }
    unlink(path.c_str());
}

void driver_parameters_reset()
{
    for (DriverParameter &p : parameters) {
        p.remembered.store(false);
        p.changed.store(false);
        p.before.store(0);
        p.last_set.store(kNoCommand);
    }
    std::lock_guard<std::mutex> lock(state_mutex);
    state_path.clear();
}
