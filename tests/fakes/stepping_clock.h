#pragma once

#include <cstdint>

#include "core/clock.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

// A clock that moves only when told: `Advance` and `sleepMs` step it.
// Starts at 10:00:00.000 UTC unless set otherwise.
class SteppingClock : public Clock {
  public:
    SystemTime utcNow() const override {
        const std::int64_t ms = millisecondsOfDay % (24 * 3600000);
        return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
    }
    void sleepMs(int durationMs) override {
        Note(journal, "sleep " + std::to_string(durationMs));
        sleptMs += durationMs;
        millisecondsOfDay += durationMs;
    }

    void Advance(int durationMs) { millisecondsOfDay += durationMs; }
    void SetTime(int hour, int minute, int second, int millisecond) {
        millisecondsOfDay = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
    }

    std::int64_t millisecondsOfDay = 10 * 3600000;
    std::int64_t sleptMs = 0;
    EventJournal* journal = nullptr;
};

}  // namespace veltranix::testing
