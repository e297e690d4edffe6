/* Preloaded into a program under test (LD_PRELOAD): its time of day
 * (CLOCK_REALTIME and CLOCK_REALTIME_COARSE, gettimeofday, time) runs ahead
 * of the real one by the nanoseconds that the test stores in the first 8
 * bytes of the file VORELL_CLOCK_STEP_FILE names, so the test can step the
 * wall clock of that one program at a moment of its choosing, backward or
 * forward. The monotonic clocks are left alone. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

static _Atomic(const _Atomic int64_t *) step_word;

/* The mapped offset, or NULL when the file is not given or not there. */
static const _Atomic int64_t *offset_word(void)
{
    const _Atomic int64_t *word = atomic_load(&step_word);
    if (word)
        return word;
    const char *path = getenv("VORELL_CLOCK_STEP_FILE");
    if (!path)
        return NULL;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return NULL;
    void *p = mmap(NULL, sizeof(int64_t), PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED)
        return NULL;
    word = (const _Atomic int64_t *)p;
    const _Atomic int64_t *none = NULL;
    if (!atomic_compare_exchange_strong(&step_word, &none, word)) {
        munmap(p, sizeof(int64_t)); /* another thread mapped it first */
        word = none;
    }
    return word;
}

static int64_t offset_ns(void)
{
    const _Atomic int64_t *word = offset_word();
    return word ? atomic_load(word) : 0;
}

static void shift(struct timespec *ts)
{
    int64_t ns = (int64_t)ts->tv_sec * 1000000000 + ts->tv_nsec + offset_ns();
    ts->tv_sec = (time_t)(ns / 1000000000);
    ts->tv_nsec = (long)(ns % 1000000000);
}

static int real_clock_gettime(clockid_t id, struct timespec *ts)
{
    static int (*real)(clockid_t, struct timespec *);
    if (!real)
        real = (int (*)(clockid_t, struct timespec *))dlsym(RTLD_NEXT, "clock_gettime");
    return real(id, ts);
}

int clock_gettime(clockid_t id, struct timespec *ts)
{
    int rc = real_clock_gettime(id, ts);
    if (rc == 0 && (id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE))
        shift(ts);
    return rc;
}

int gettimeofday(struct timeval *restrict tv, void *restrict tz)
{
    (void)tz;
    struct timespec ts;
    int rc = clock_gettime(CLOCK_REALTIME, &ts);
    if (rc == 0) {
        tv->tv_sec = ts.tv_sec;
        tv->tv_usec = ts.tv_nsec / 1000;
    }
    return rc;
}

time_t time(time_t *out)
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    if (out)
        *out = ts.tv_sec;
    return ts.tv_sec;
}
