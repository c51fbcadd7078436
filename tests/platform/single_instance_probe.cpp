// A program that starts as Veltranix does: ends at once with code 0 when
// another instance runs; otherwise says "running" and stays until killed.
#include <unistd.h>

#include <cstdio>

#include "platform/linux/single_instance.h"

int main() {
    if (veltranix::IsAnotherInstanceRunning()) {
        return 0;
    }
    std::printf("running\n");
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}
