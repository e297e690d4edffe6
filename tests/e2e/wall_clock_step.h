// A wall clock that a test steps under one program alone
// (clock_step_shim.c, preloaded).
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "support.h"

// One program's wall clock, stepped by the test: the preloaded shim adds
// the nanoseconds in the file's first 8 bytes to every reading of the time
// of day of the program started with env().
class WallClockStep {
public:
    WallClockStep() : path_(make_temp_dir() + "/clock-step")
    {
        const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd < 0 || ftruncate(fd, sizeof(int64_t)) != 0)
            throw std::runtime_error("cannot make " + path_);
        void *p = mmap(nullptr, sizeof(int64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (p == MAP_FAILED)
            throw std::runtime_error("cannot map " + path_);
        offset_ = static_cast<std::atomic<int64_t> *>(p);
    }
    ~WallClockStep() { munmap(offset_, sizeof(int64_t)); }
    WallClockStep(const WallClockStep &) = delete;
    WallClockStep &operator=(const WallClockStep &) = delete;

    // The environment that preloads the shim. An ASan build's runtime is
    // then not the first library; it works as well behind the shim.
    std::vector<std::string> env() const
    {
        const char *asan = getenv("ASAN_OPTIONS");
        return {std::string("LD_PRELOAD=") + CLOCK_STEP_SHIM, "VORELL_CLOCK_STEP_FILE=" + path_,
                std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0"};
    }
    void step(int seconds) { offset_->fetch_add(int64_t{seconds} * 1000000000); }

private:
    std::string path_;
    std::atomic<int64_t> *offset_ = nullptr;
};
