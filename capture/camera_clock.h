#pragma once

#include <chrono>
#include <thread>

namespace veltranix {

// Monotonic time for the camera threads: the frozen-camera timeout and the
// reopening period run on it, so that tests can step it.
class CameraClock {
  public:
    virtual ~CameraClock() = default;
    // Time since an arbitrary start; never goes back. Any thread.
    virtual std::chrono::milliseconds now() const = 0;
    // Blocks the calling capture thread for `duration`. Callers keep it short
    // (at most 100 ms) so that a stop request is seen promptly.
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;
};

// The real monotonic clock (std::chrono::steady_clock).
class SteadyCameraClock : public CameraClock {
  public:
    std::chrono::milliseconds now() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    void sleepFor(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
};

}  // namespace veltranix
