#pragma once

#include "core/input_port.h"
#include "tracking/track_stages.h"

namespace veltranix {

// The stages until the motion mapping, gestures, dwell clock, adjustment,
// statistics and head-shake detector are in place: the head is followed, the
// pointer target stays at the centre of the pointer's range, nothing fires.

class CentroidHeadMotion : public HeadMotionStage {
  public:
    void startRun(const TrackingRun& run, const Settings& settings) override;
    HeadMotion update(const MatchResult& match, const PointerRange& range) override;

  private:
    bool first_ = true;
    double previousX_ = 0.0;
    double previousY_ = 0.0;
};

class NoGestures : public GestureStage {
  public:
    void startRun(const TrackingRun&, const WorkImage&) override {}
    void endRun() override {}
    GestureOutcome testEyes(const WorkImage&, const WorkImage&, const HeadMotion&) override {
        return {};
    }
    GestureOutcome testMouth(const WorkImage&, const WorkImage&, const HeadMotion&) override {
        return {};
    }
};

class IdleDwell : public DwellStage {
  public:
    bool postClickPauseRunning() override { return false; }
    void headMoving() override {}
    bool runClock() override { return false; }
    std::optional<int> onTrigger(int) override { return std::nullopt; }
};

// Places the pointer by one absolute move.
class InputPointerPlacement : public PointerPlacementStage {
  public:
    explicit InputPointerPlacement(PointerInputPort& input) : input_(input) {}
    void placePointer(ScreenPoint point) override { input_.moveTo(point); }

  private:
    PointerInputPort& input_;
};

class NoAutoAdjust : public AutoAdjustStage {
  public:
    void run() override {}
    void stopTimer() override {}
};

class NoStatistics : public StatisticsStage {
  public:
    void writeLine(const StatisticsLine&) override {}
};

class NoHeadShake : public HeadShakeStage {
  public:
    void recenter(ScreenPoint) override {}
    bool detect(int, int) override { return false; }
    bool feedbackArmed() const override { return false; }
    int progress() const override { return 0; }
};

// Owns one of each default stage.
class DefaultTrackStages {
  public:
    explicit DefaultTrackStages(PointerInputPort& input) : pointer_(input) {}
    TrackStages stages() {
        return {&headMotion_, &gestures_,   &dwell_,    &pointer_,
                &autoAdjust_, &statistics_, &headShake_};
    }

  private:
    CentroidHeadMotion headMotion_;
    NoGestures gestures_;
    IdleDwell dwell_;
    InputPointerPlacement pointer_;
    NoAutoAdjust autoAdjust_;
    NoStatistics statistics_;
    NoHeadShake headShake_;
};

}  // namespace veltranix
