// A program that starts as Veltranix does: ends at once with code 0 when
// another instance runs; otherwise says "running" and stays until its
// standard input closes.
#include <unistd.h>

#include <cstdio>

#include "platform/linux/single_instance.h"

int main() {
    if (veltranix::IsAnotherInstanceRunning()) {
        return 0;
    }
    std::printf("running\n");
    std::fflush(stdout);
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
