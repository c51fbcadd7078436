#pragma once

#include "core/geometry.h"
#include "settings/settings.h"
#include "tracking/track_stages.h"

namespace veltranix {

// The box in the camera image that the head's range of movement is mapped
// from, in image pixels; `centre` is where the head rests.
struct HeadBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    ScreenPoint centre;
    friend bool operator==(const HeadBox&, const HeadBox&) = default;
};

// The head box for a speed gain (0.7, 0.6, 0.5) around the calibrated centre
// (half way between the eyes, on the eye line): a smaller box makes the same
// head movement cross more of the screen.
HeadBox ApplyHeadBox(double speedGain, ScreenPoint calibratedCentre);

// The absolute mode's curve factor for `moveCaraCurve` (30, 45, 60) on a
// screen: 1 / (k x curve)^2 with k = 1280 x 1024 / (W x H).
double ApplyMovementCurve(double moveCaraCurve, ScreenSize screen);

// The head position of one tracking frame and what the frame needs of the
// frames before it.
struct PointerTargetInput {
    double centroidX = 0.0;  // template centroid, image pixels
    double centroidY = 0.0;
    ScreenPoint pointer;         // the pointer read at the start of the frame
    ScreenPoint previousTarget;  // the target of the previous frame
    double previousTrackedX = 0.0;
    double previousTrackedY = 0.0;
    ScreenSize screen;  // the stored screen size
    PointerRange range;
};

// Head position to pointer target in the three movement modes: 1 the head
// does not move the pointer, 2 relative (a joystick with a dead zone), 3
// absolute (the head position is the pointer position, smoothed by the
// curve). GUI thread, once per tracking frame.
class HeadMotionMapper : public HeadMotionStage {
  public:
    explicit HeadMotionMapper(const Settings& settings) : settings_(settings) {}

    void startRun(const TrackingRun& run, ScreenSize screen) override;
    HeadMotion update(const MatchResult& match, const HeadMotionFrame& frame) override;

    // ComputePointerTarget: the anchor on the first frame of a run, the
    // tracked point, its motion, the target clamped to the pointer's range and
    // the head-angle terms.
    HeadMotion ComputePointerTarget(const PointerTargetInput& input);

    const HeadBox& headBox() const { return headBox_; }
    double curveFactor() const { return curveFactor_; }

  private:
    void FollowSettings(ScreenSize screen);

    const Settings& settings_;
    ScreenPoint calibratedCentre_;
    HeadBox headBox_;
    double headBoxSpeedGain_ = 0.0;
    double curveFactor_ = 0.0;
    double curveMoveCara_ = 0.0;
    bool reanchorPending_ = true;
    double anchorX_ = 0.0;
    double anchorY_ = 0.0;
};

// Relative mode: the pointer step for a head mapped `offsetPixels` from the
// screen centre along one axis (signed), with the dead zone `deadZonePixels`,
// the largest step `maximumStep` and the curve's limit `limitPixels`.
int RelativeStep(int offsetPixels, int deadZonePixels, int maximumStep, int limitPixels);

}  // namespace veltranix
