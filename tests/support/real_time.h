#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Waiting in tests that run the real program in real time.
namespace veltranix::testing {

inline void Hold(double seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000)));
}

// True as soon as `condition` holds, checked every 50 ms for `seconds`.
inline bool WaitFor(const std::function<bool()>& condition, double seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end =
        Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (Clock::now() < end) {
        if (condition()) {
            return true;
        }
        Hold(0.05);
    }
    return condition();
}

}  // namespace veltranix::testing
