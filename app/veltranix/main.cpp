// veltranix: the hands-free pointer.
#include "app/veltranix/run_program.h"

int main(int argc, char** argv) {
    return veltranix::RunProgram(argc, argv, {});
}
