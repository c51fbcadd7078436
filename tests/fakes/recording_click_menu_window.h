#pragma once

#include "tracking/headless_ports.h"

namespace veltranix::testing {

using RecordingClickMenuWindow = HeadlessClickMenuWindow;

}  // namespace veltranix::testing
