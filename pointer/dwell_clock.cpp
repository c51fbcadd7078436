#include "pointer/dwell_clock.h"

#include <cstdlib>

#include "core/timing.h"
#include "pointer/click_codes.h"

namespace veltranix {

namespace {
constexpr double kStillTrackMotionPixels = 2.0;
}  // namespace

DwellClock::DwellClock(Clock& clock, const Settings& settings, CursorFeedback& cursorFeedback,
                       const OpenWindows& openWindows, const ClickTypeMenu& menu)
    : clock_(clock),
      settings_(settings),
      cursorFeedback_(cursorFeedback),
      openWindows_(openWindows),
      menu_(menu) {}

bool DwellClock::PostClickPauseStands() {
    if (!pauseRequested_) {
        return false;
    }
    if (!pauseTimingStarted_) {
        pauseStart_ = clock_.utcNow();
        pauseTimingStarted_ = true;
        return true;
    }
    if (ElapsedAtLeast(pauseStart_, clock_.utcNow(), kPostClickPauseSeconds)) {
        pauseRequested_ = false;
        // Each pause is timed from its own start: a timing left over from an
        // earlier pause would end the next one at once and let one long blink
        // click twice.
        pauseTimingStarted_ = false;
        return false;
    }
    return true;
}

PointerMotion DwellClock::CheckStillness(ScreenPoint pointer, double trackMotionPixels) {
    const bool still =
        settings_.pointerMoveMode == 1 ||
        (std::abs(pointer.x - lastPointer_.x) < 2 && std::abs(pointer.y - lastPointer_.y) < 2 &&
         trackMotionPixels < kStillTrackMotionPixels);
    lastPointer_ = pointer;
    if (still) {
        return PointerMotion::Still;
    }
    if (!cursorFeedback_.holdProgressShown()) {
        cursorFeedback_.RestoreSystemCursors();
    }
    clockRunning_ = false;
    clockFired_ = false;
    pauseTimingStarted_ = false;
    return PointerMotion::Moved;
}

bool DwellClock::AnyDwellBinding() const {
    for (std::int32_t flag : settings_.gestureClickMatrix[static_cast<int>(GestureRow::Dwell)]) {
        if (flag != 0) {
            return true;
        }
    }
    return false;
}

void DwellClock::Stop() {
    cursorFeedback_.RestoreSystemCursors();
    clockRunning_ = false;
    pauseTimingStarted_ = false;
}

void DwellClock::FollowHoldProgress(double part) {
    if (part > 0.0) {
        cursorFeedback_.ShowHoldProgress(part);
        clockRunning_ = false;
    } else if (cursorFeedback_.holdProgressShown()) {
        cursorFeedback_.RestoreSystemCursors();
    }
}

void DwellClock::Advance(TriggerState& triggers) {
    if (cursorFeedback_.holdProgressShown()) {
        return;
    }
    const auto& dwellRow = settings_.gestureClickMatrix[static_cast<int>(GestureRow::Dwell)];
    for (int kind = 0; kind < click_kind::kCount; ++kind) {
        if (triggers.mouthOpenGesture || triggers.eyesClosedGesture) {
            if (AnyDwellBinding()) {
                Stop();
            }
            continue;
        }
        if (dwellRow[kind] == 0 || triggers.clickPending) {
            continue;
        }
        if (clockFired_ && !openWindows_.AnyLetsClockRepeat() && !menu_.visible()) {
            continue;
        }
        if (!clockRunning_) {
            clockStart_ = clock_.utcNow();
            cursorFeedback_.ShowClockCursor();
            clockRunning_ = true;
            continue;
        }
        const float dwellSeconds = static_cast<float>(ClampedDwellSeconds(settings_.dwellSeconds));
        if (ElapsedAtLeast(clockStart_, clock_.utcNow(), dwellSeconds)) {
            Stop();
            triggers.clickKindIndex = kind;
            triggers.clickPending = true;
            clockFired_ = true;
            return;
        }
    }
}

}  // namespace veltranix
