#pragma once

#include <filesystem>
#include <optional>

#include "core/clock.h"
#include "pointer/pointer_actions.h"
#include "settings/settings.h"
#include "tracking/auto_adjust.h"
#include "tracking/gestures.h"
#include "tracking/head_motion.h"
#include "tracking/stats_log.h"
#include "tracking/track_stages.h"

namespace veltranix {

// The dwell clock, the post-click pause, the timed press and the dispatch of
// triggers, carried out by the pointer actions.
class PointerActionsDwell : public DwellStage {
  public:
    explicit PointerActionsDwell(PointerActions& actions) : actions_(actions) {}

    bool holdingFrames() override;
    // Tracking leaves its frames (lost face, a pause, the real mouse): the
    // scroll mode ends with them, so that it never resumes from a stale place.
    void restoreSystemCursors() override {
        actions_.clicks.EndScroll();
        actions_.cursorFeedback.RestoreSystemCursors();
    }
    bool followClickMenu(ScreenPoint pointer) override {
        actions_.menu.HideIfPointerFarAway(pointer);
        return actions_.menu.visible();
    }
    void clearClickMenuHighlight(ScreenPoint pointer) override {
        actions_.menu.ClearHighlightUnlessOver(pointer);
    }
    void hideClickMenu() override { actions_.menu.Hide(); }
    bool postClickPauseRunning() override;
    bool headStill(ScreenPoint pointer, double trackMotion) override;
    std::optional<int> runClock(bool gestureThisFrame) override;
    std::optional<int> onTrigger(int clickKindIndex) override;
    void followHoldProgress(double part) override { actions_.dwellClock.FollowHoldProgress(part); }
    ScrollFrame followScroll(const HeadMotion& motion, int eyeDistancePixels,
                             long long nowMs) override;

  private:
    PointerActions& actions_;
};

// Places the pointer with the edge nudge of the click code.
class PointerActionsPlacement : public PointerPlacementStage {
  public:
    explicit PointerActionsPlacement(PointerActions& actions) : actions_(actions) {}
    void placePointer(ScreenPoint point) override { actions_.clicks.PlacePointer(point); }

  private:
    PointerActions& actions_;
};

// The head-shake detector against the calibrated face centre; no shake is
// looked for while a drag holds the button.
class PointerActionsHeadShake : public HeadShakeStage {
  public:
    explicit PointerActionsHeadShake(PointerActions& actions) : actions_(actions) {}

    void startRun(const TrackingRun& run) override { centre_ = run.headBoxCentre; }
    bool detect(int x, int y, HeadPauseState pauseState) override;
    bool feedbackArmed() const override { return actions_.headShake.progress() > 0; }
    int progress() const override { return actions_.headShake.progress(); }

  private:
    PointerActions& actions_;
    ScreenPoint centre_;
};

// The stages of a tracking frame as the program runs them: head motion to
// pointer, gestures, the dwell clock and clicks through the pointer actions,
// the automatic adjustment, the statistics log and the head shake.
class EngineTrackStages {
  public:
    // `statsLog` may be null (no log).
    EngineTrackStages(const Settings& settings, PointerActions& actions, Clock& clock,
                      std::filesystem::path cascadeFile, StatsLog* statsLog = nullptr);

    TrackStages stages() {
        return {&headMotion_, &gestures_,   &dwell_,    &placement_,
                &autoAdjust_, &statistics_, &headShake_};
    }
    HeadMotionMapper& headMotion() { return headMotion_; }
    GestureDetector& gestures() { return gestures_; }
    DriftAutoAdjust& autoAdjust() { return autoAdjust_; }
    // The log the frames write to; null: none.
    void setStatsLog(StatsLog* log) { statistics_.setLog(log); }

  private:
    HeadMotionMapper headMotion_;
    GestureDetector gestures_;
    PointerActionsDwell dwell_;
    PointerActionsPlacement placement_;
    DriftAutoAdjust autoAdjust_;
    StatsLogStage statistics_;
    PointerActionsHeadShake headShake_;
};

}  // namespace veltranix
