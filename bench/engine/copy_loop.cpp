// The cheapest possible poller of the block: copy it every 5 ms and do
// nothing else. engine_cpu.sh compares gestured's idle CPU with this.
#include <string.h>
#include <unistd.h>

#include "touchpad_block.h"

int main()
{
    TouchpadSharedBlock *block = attach_shared_block();
    if (!block)
        return 1;
    static TouchpadSharedBlock copy;
    for (;;) {
        memcpy(&copy, block, sizeof copy);
        asm volatile("" : : "r"(&copy) : "memory");  // keep the copy
        usleep(5000);
    }
}
