#include "touchpad_block.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdio>
#include <cstring>

TouchpadSharedBlock *attach_shared_block()
{
    int id = shmget(kTouchpadShmKey, kTouchpadShmSize, 0);
    if (id == -1) {
        if (shmget(kTouchpadShmKey, 0, 0) == -1)
            fputs("Can't access shared memory area. SHMConfig disabled?\n", stderr);
        else
            fputs("Incorrect size of shared memory area. Incompatible driver version?\n", stderr);
        return nullptr;
    }
    void *base = shmat(id, nullptr, 0);
    if (base == reinterpret_cast<void *>(-1)) {
        perror("shmat");
        return nullptr;
    }
    return static_cast<TouchpadSharedBlock *>(base);
}

namespace {

// Single stores and loads of one field; memcpy keeps the 4-byte-aligned
// doubles and the int32 words free of alignment and aliasing trouble.
template <typename T>
T load_field(const void *block, int offset)
{
    T v;
    memcpy(&v, static_cast<const char *>(block) + offset, sizeof v);
    return v;
}

template <typename T>
void store_field(void *block, int offset, T value)
{
    memcpy(static_cast<char *>(block) + offset, &value, sizeof value);
}

}  // namespace

int32_t block_get_int(const void *block, int offset) { return load_field<int32_t>(block, offset); }

void block_set_int(void *block, int offset, int32_t value) { store_field(block, offset, value); }

double block_get_double(const void *block, int offset) { return load_field<double>(block, offset); }

void block_set_double(void *block, int offset, double value) { store_field(block, offset, value); }
