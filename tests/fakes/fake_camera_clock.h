#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "capture/camera_clock.h"

namespace veltranix::testing {

// A monotonic clock that moves only when someone sleeps on it or the test
// advances it. Thread-safe.
class FakeCameraClock : public CameraClock {
  public:
    std::chrono::milliseconds now() const override { return std::chrono::milliseconds(nowMs_); }
    void sleepFor(std::chrono::milliseconds duration) override {
        nowMs_ += duration.count();
        std::this_thread::yield();
    }
    void advance(std::chrono::milliseconds duration) { nowMs_ += duration.count(); }

  private:
    std::atomic<long long> nowMs_{5'000'000};
};

}  // namespace veltranix::testing
