// A program that starts as Veltranix does: ends at once with code 0 when
// another instance runs; otherwise says "running" and stays until killed,
// or until the test that started it goes.
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "platform/linux/single_instance.h"

int main() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (veltranix::IsAnotherInstanceRunning()) {
        return 0;
    }
    std::printf("running\n");
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}
