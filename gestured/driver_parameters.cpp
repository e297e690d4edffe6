#include "driver_parameters.h"

#include <stdio.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <cstddef>

#include "command_runner.h"
#include "touchpad_block.h"

namespace {

struct DriverParameter {
    const char *name;
    size_t offset;
    std::atomic<int32_t> before;  // the block's value when remembered
    std::atomic<bool> remembered;
    std::atomic<bool> changed;  // a command has set it since
};

DriverParameter parameters[] = {
    {"TapButton1", offsetof(TouchpadSharedBlock, TapButton1), {0}, {false}, {false}},
    {"TapButton2", offsetof(TouchpadSharedBlock, TapButton2), {0}, {false}, {false}},
    {"TapButton3", offsetof(TouchpadSharedBlock, TapButton3), {0}, {false}, {false}},
    {"DragHoldButton", offsetof(TouchpadSharedBlock, DragHoldButton), {0}, {false}, {false}},
    {"DragTimeoutRelease", offsetof(TouchpadSharedBlock, DragTimeoutRelease), {0}, {false}, {false}},
};

constexpr char kClient[] = "vorellctl ";

}  // namespace

void driver_parameters_remember()
{
    // Values of another user's block are not the user's.
    BlockSeen seen;
    if (look_at_block(&seen) != BlockLook::kUsable)
        return;
    void *base = shmat(seen.id, nullptr, SHM_RDONLY);
    if (base == reinterpret_cast<void *>(-1))
        return;
    for (DriverParameter &p : parameters) {
        int32_t value;
        memcpy(&value, static_cast<const char *>(base) + p.offset, sizeof value);
        p.before.store(value);
        p.remembered.store(true);
    }
    shmdt(base);
}

void driver_parameters_note_command(const char *command)
{
    if (!command || strncmp(command, kClient, sizeof kClient - 1) != 0)
        return;
    const char *assignment = command + sizeof kClient - 1;
    for (DriverParameter &p : parameters) {
        size_t n = strlen(p.name);
        if (strncmp(assignment, p.name, n) == 0 && assignment[n] == '=')
            p.changed.store(true);
    }
}

void driver_parameters_restore()
{
    for (DriverParameter &p : parameters) {
        if (!p.remembered.load() || !p.changed.load())
            continue;
        char command[64];
        snprintf(command, sizeof command, "%s%s=%d", kClient, p.name, p.before.load());
        run_command_final(command);
    }
}

void driver_parameters_reset()
{
    for (DriverParameter &p : parameters) {
        p.remembered.store(false);
        p.changed.store(false);
        p.before.store(0);
    }
}
