// The cheapest possible users of the block, the floors engine_cpu.sh
// measures gestured against in the same run:
//   bench_copy_loop          copy the block every 5 ms and do nothing else
//                            (the idle floor);
//   bench_copy_loop --click  poll the finger record on the engine's own
//                            pause schedule (1 ms after a change, 2 ms
//                            otherwise) and click the wheel through XTEST
//                            once per change while two fingers are down
//                            (the scrolling floor).
#include <string.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "touchpad_block.h"

namespace {

int copy_loop(TouchpadSharedBlock *block)
{
    static TouchpadSharedBlock copy;
    for (;;) {
        memcpy(&copy, block, sizeof copy);
        asm volatile("" : : "r"(&copy) : "memory");  // keep the copy
        usleep(5000);
    }
}

int click_loop(TouchpadSharedBlock *block)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    FingerRecord last{};
    for (;;) {
        FingerRecord now;
        memcpy(&now, const_cast<const FingerRecord *>(&block->NewStructFingers), sizeof now);
        const bool changed = memcmp(&now, &last, sizeof now) != 0;
        if (changed && now.f == 2) {
            XTestFakeButtonEvent(display, 5, True, CurrentTime);
            XTestFakeButtonEvent(display, 5, False, CurrentTime);
            XFlush(display);
        }
        last = now;
        usleep(changed ? 1000 : 2000);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    TouchpadSharedBlock *block = attach_shared_block();
    if (!block)
        return 1;
    if (argc > 1 && strcmp(argv[1], "--click") == 0)
        return click_loop(block);
    return copy_loop(block);
}
