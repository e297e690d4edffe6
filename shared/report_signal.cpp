#include "report_signal.h"

#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// The words are shared between processes: plain (not process-private)
// futex operations on the block's mapping.
int32_t *word(const TouchpadSharedBlock *block, const int32_t TouchpadSharedBlock::*field)
{
    return const_cast<int32_t *>(&(block->*field));
}

void wake_readers(TouchpadSharedBlock *block)
{
    syscall(SYS_futex, word(block, &TouchpadSharedBlock::report_sequence), FUTEX_WAKE, INT_MAX, nullptr,
            nullptr, 0);
}

}  // namespace

void report_signal_start(TouchpadSharedBlock *block)
{
    __atomic_store_n(word(block, &TouchpadSharedBlock::report_publisher), static_cast<int32_t>(getpid()),
                     __ATOMIC_RELEASE);
}

void report_signal_post(TouchpadSharedBlock *block)
{
    // Release: a reader that sees the new count sees the report before it.
    __atomic_add_fetch(word(block, &TouchpadSharedBlock::report_sequence), 1, __ATOMIC_RELEASE);
    wake_readers(block);
}

void report_signal_stop(TouchpadSharedBlock *block)
{
    __atomic_store_n(word(block, &TouchpadSharedBlock::report_publisher), 0, __ATOMIC_RELEASE);
    report_signal_post(block);
}

uint32_t report_signal_sequence(const TouchpadSharedBlock *block)
{
    return static_cast<uint32_t>(
        __atomic_load_n(word(block, &TouchpadSharedBlock::report_sequence), __ATOMIC_ACQUIRE));
}

bool report_signal_live(const TouchpadSharedBlock *block)
{
    const pid_t pid = __atomic_load_n(word(block, &TouchpadSharedBlock::report_publisher), __ATOMIC_ACQUIRE);
    // EPERM: it runs, as another user (vorellpad started by root for the
    // desktop user).
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

bool report_signal_wait(const TouchpadSharedBlock *block, uint32_t seen, int timeout_ms)
{
    struct timespec timeout = {timeout_ms / 1000, static_cast<long>(timeout_ms % 1000) * 1000000L};
    syscall(SYS_futex, word(block, &TouchpadSharedBlock::report_sequence), FUTEX_WAIT,
            static_cast<int32_t>(seen), &timeout, nullptr, 0);
    return report_signal_sequence(block) != seen;
}
