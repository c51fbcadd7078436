#pragma once

#include <mutex>

#include "core/clock.h"

namespace veltranix::testing {

// A clock that stands still until someone sleeps on it; sleeping moves it on
// by exactly the time slept, across minutes, hours and midnight.
class FakeClock : public Clock {
  public:
    explicit FakeClock(SystemTime start = {12, 0, 0, 0}) : now_(start) {}

    SystemTime utcNow() const override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void sleepMs(int durationMs) override {
        std::lock_guard lock(mutex_);
        long total = ((now_.hour * 60L + now_.minute) * 60 + now_.second) * 1000 +
                     now_.millisecond + durationMs;
        total %= 24L * 3600 * 1000;
        now_.millisecond = static_cast<int>(total % 1000);
        now_.second = static_cast<int>(total / 1000 % 60);
        now_.minute = static_cast<int>(total / 60000 % 60);
        now_.hour = static_cast<int>(total / 3600000);
    }
    void set(SystemTime time) {
        std::lock_guard lock(mutex_);
        now_ = time;
    }

  private:
    mutable std::mutex mutex_;
    SystemTime now_;
};

}  // namespace veltranix::testing
