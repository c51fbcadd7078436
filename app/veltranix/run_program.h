#pragma once

#include <vector>

#include "platform/linux/camera_factory.h"

namespace veltranix {

// The program from its command line to its exit status. `extraCameras` are
// the cameras this build opens beside devices and videos.
int RunProgram(int argc, char** argv, std::vector<ExtraCameraSource> extraCameras);

}  // namespace veltranix
