#pragma once

#include "core/clock.h"

namespace veltranix {

// The real clock: UTC wall time and a blocking sleep. Thread-safe.
class SystemClock : public Clock {
  public:
    SystemTime utcNow() const override;
    void sleepMs(int durationMs) override;
};

}  // namespace veltranix
