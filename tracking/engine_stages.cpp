#include "tracking/engine_stages.h"

namespace veltranix {

bool PointerActionsDwell::holdingFrames() {
    ClickExecutor& clicks = actions_.clicks;
    if (!clicks.timedPressHeld()) {
        return false;
    }
    clicks.AdvanceTimedPress();
    return true;
}

bool PointerActionsDwell::postClickPauseRunning() {
    return actions_.dwellClock.PostClickPauseStands();
}

bool PointerActionsDwell::headStill(ScreenPoint pointer, double trackMotion) {
    return actions_.dwellClock.CheckStillness(pointer, trackMotion) == PointerMotion::Still;
}

std::optional<int> PointerActionsDwell::runClock(bool gestureThisFrame) {
    TriggerState& triggers = actions_.triggers;
    triggers.eyesClosedGesture = gestureThisFrame;
    actions_.dwellClock.Advance(triggers);
    triggers.eyesClosedGesture = false;
    if (!triggers.clickPending) {
        return std::nullopt;
    }
    return triggers.clickKindIndex;
}

std::optional<int> PointerActionsDwell::onTrigger(int clickKindIndex) {
    ClickExecutor& clicks = actions_.clicks;
    const std::int64_t before = clicks.requestsExecuted();
    actions_.dispatcher.OnDwellTrigger(clickKindIndex, actions_.triggers);
    if (clicks.requestsExecuted() == before) {
        return std::nullopt;
    }
    return clicks.lastClickRequest();
}

ScrollFrame PointerActionsDwell::followScroll(const HeadMotion& motion, int eyeDistancePixels,
                                              long long nowMs) {
    ScrollMode& scroll = actions_.scroll;
    if (!scroll.active()) {
        return ScrollFrame::Off;
    }
    return scroll.Follow(motion.trackedX, motion.trackedY, eyeDistancePixels, nowMs)
               ? ScrollFrame::Scrolling
               : ScrollFrame::Holding;
}

bool PointerActionsHeadShake::detect(int x, int y, HeadPauseState pauseState) {
    if (actions_.clicks.dragActive()) {
        return false;
    }
    return actions_.headShake.Update(x, y, centre_.x, centre_.y, pauseState);
}

EngineTrackStages::EngineTrackStages(const Settings& settings, PointerActions& actions,
                                     Clock& clock, std::filesystem::path cascadeFile,
                                     StatsLog* statsLog)
    : headMotion_(settings),
      gestures_(settings),
      dwell_(actions),
      placement_(actions),
      autoAdjust_(clock, std::move(cascadeFile)),
      statistics_(statsLog, settings),
      headShake_(actions) {}

}  // namespace veltranix
