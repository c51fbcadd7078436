#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "core/clock.h"

namespace veltranix {

// A clock that moves only when told: by advanceMs, set and sleeps. For replays
// and tests; safe to read and move from any thread.
class ManualClock : public Clock {
  public:
    explicit ManualClock(SystemTime start = {}) : nowMs_(ToMs(start)) {}

    SystemTime utcNow() const override {
        const long long dayMs = nowMs_ % (24LL * 3600 * 1000);
        return {static_cast<int>(dayMs / 3600000), static_cast<int>(dayMs / 60000 % 60),
                static_cast<int>(dayMs / 1000 % 60), static_cast<int>(dayMs % 1000)};
    }
    void sleepMs(int durationMs) override {
        if (sleepLog != nullptr) {
            sleepLog->push_back("sleep " + std::to_string(durationMs));
        }
        advanceMs(durationMs);
    }
    void advanceMs(int durationMs) { nowMs_ += durationMs; }
    // Jumps to a time of the day it started on.
    void set(SystemTime time) { nowMs_ = ToMs(time); }
    // Milliseconds since the start of the day it started on.
    long long nowMs() const { return nowMs_; }
    // Notes each sleep ("sleep 2") here when set; for one thread only.
    std::vector<std::string>* sleepLog = nullptr;

  private:
    static long long ToMs(const SystemTime& time) {
        return ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
    }
    std::atomic<long long> nowMs_;
};

}  // namespace veltranix
