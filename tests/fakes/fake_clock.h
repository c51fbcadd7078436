#pragma once

#include "tracking/manual_clock.h"

namespace veltranix::testing {

// The manual clock, starting at noon.
struct FakeClock : ManualClock {
    FakeClock() : ManualClock({12, 0, 0, 0}) {}
};

}  // namespace veltranix::testing
