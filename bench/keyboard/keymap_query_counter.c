/* Counts a program's XQueryKeymap calls (each one X round trip) without
 * changing the program: loaded with LD_PRELOAD, it keeps the count in the
 * first 8 bytes of the file named by KEYMAP_QUERY_COUNT_FILE, which the bench
 * reads while the program runs. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <X11/Xlib.h>

static volatile uint64_t *count;

__attribute__((constructor)) static void open_count_file(void)
{
    const char *path = getenv("KEYMAP_QUERY_COUNT_FILE");
    if (!path)
        return;
    int fd = open(path, O_RDWR | O_CREAT, 0644);
    if (fd < 0 || ftruncate(fd, sizeof *count) != 0)
        return;
    void *p = mmap(NULL, sizeof *count, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p != MAP_FAILED)
        count = p;
}

int XQueryKeymap(Display *display, char keys[32])
{
    static int (*real)(Display *, char *);
    if (!real)
        real = (int (*)(Display *, char *))dlsym(RTLD_NEXT, "XQueryKeymap");
    if (count)
        ++*count;
    return real(display, keys);
}
