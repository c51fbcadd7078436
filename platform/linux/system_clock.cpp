#include "platform/linux/system_clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace veltranix {

SystemTime SystemClock::utcNow() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millisecond =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millisecond)};
}

void SystemClock::sleepMs(int durationMs) {
    if (durationMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(durationMs));
    }
}

}  // namespace veltranix
