#pragma once

#include <cstdint>

namespace veltranix {

// A wall-clock reading in UTC, as the delays of the engine use it.
struct SystemTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The clock port. Called from the GUI thread and the macro player thread;
// implementations are thread-safe.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual SystemTime utcNow() const = 0;
    virtual void sleepMs(int durationMs) = 0;
};

}  // namespace veltranix
