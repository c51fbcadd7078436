#pragma once

#include <atomic>

namespace veltranix {

// A request to end the program (SIGTERM, SIGINT, the exit window). Raising it
// is async-signal-safe; start-up reads it after each step and in its waits,
// and ends at the next of them with code 0.
class ExitRequest {
  public:
    void raise() noexcept { raised_.store(true, std::memory_order_relaxed); }
    bool raised() const noexcept { return raised_.load(std::memory_order_relaxed); }

  private:
    static_assert(std::atomic<bool>::is_always_lock_free, "raised from a signal handler");
    std::atomic<bool> raised_{false};
};

}  // namespace veltranix
