#pragma once

#include <optional>

#include "core/geometry.h"
#include "settings/settings.h"
#include "tracking/face_detector.h"
#include "tracking/template_tracker.h"
#include "tracking/work_image.h"

namespace veltranix {

// The calibrated face a tracking run follows.
struct TrackingRun {
    EyeLine eyes;
    int interocularDistance = 0;
    ScreenPoint headBoxCentre;  // half way between the eyes, on the eye line
    bool reanchorPending = true;
};

// The pointer's range and the size the absolute mapping spans.
struct PointerRange {
    ScreenRect bounds;
    ScreenSize mappingSize;
};

struct HeadMotion {
    double trackedX = 0.0;
    double trackedY = 0.0;
    double trackMotion = 0.0;  // pixels since the previous frame
    ScreenPoint target;
};

struct GestureOutcome {
    bool fired = false;
    std::optional<double> activity;        // the patch activity, when tested
    std::optional<double> secondActivity;  // the second eye's, when tested
};

// The stages of a tracking frame, in the order the loop calls them. Each is
// called on the GUI thread from inside the frame callback.

// Head position to pointer target.
class HeadMotionStage {
  public:
    virtual ~HeadMotionStage() = default;
    virtual void startRun(const TrackingRun& run, const Settings& settings) = 0;
    virtual HeadMotion update(const MatchResult& match, const PointerRange& range) = 0;
};

// Eye and mouth gestures on the still head.
class GestureStage {
  public:
    virtual ~GestureStage() = default;
    virtual void startRun(const TrackingRun& run, const WorkImage& image) = 0;
    virtual void endRun() = 0;
    virtual GestureOutcome testEyes(const WorkImage& current, const WorkImage& previous,
                                    const HeadMotion& motion) = 0;
    virtual GestureOutcome testMouth(const WorkImage& current, const WorkImage& previous,
                                     const HeadMotion& motion) = 0;
};

// The dwell clock, the post-click pause and the dispatch of a trigger.
class DwellStage {
  public:
    virtual ~DwellStage() = default;
    // True while the pause after a click runs (it times itself meanwhile).
    virtual bool postClickPauseRunning() = 0;
    // The head moved: the clock stops and starts over.
    virtual void headMoving() = 0;
    // One still frame of the clock; true when it fires.
    virtual bool runClock() = 0;
    // A trigger selected the click kind (0..5); the click request code
    // issued, if any.
    virtual std::optional<int> onTrigger(int clickKindIndex) = 0;
};

class PointerPlacementStage {
  public:
    virtual ~PointerPlacementStage() = default;
    virtual void placePointer(ScreenPoint point) = 0;
};

// The automatic adjustment of the gesture levels and the restart countdown.
class AutoAdjustStage {
  public:
    virtual ~AutoAdjustStage() = default;
    virtual void run() = 0;
    virtual void stopTimer() = 0;
};

struct StatisticsLine {
    std::optional<double> eyeActivity;
    std::optional<double> mouthActivity;
    ScreenPoint pointer;
    int gestureKind = -1;
};

class StatisticsStage {
  public:
    virtual ~StatisticsStage() = default;
    virtual void writeLine(const StatisticsLine& line) = 0;
};

// The alternating head movement that pauses and resumes tracking.
class HeadShakeStage {
  public:
    virtual ~HeadShakeStage() = default;
    // Forgets the recorded position; the next one starts from `point`.
    virtual void recenter(ScreenPoint point) = 0;
    virtual bool detect(int x, int y) = 0;
    // Feedback while the gesture is under way: armed, and steps done (0..4).
    virtual bool feedbackArmed() const = 0;
    virtual int progress() const = 0;
};

struct TrackStages {
    HeadMotionStage* headMotion = nullptr;
    GestureStage* gestures = nullptr;
    DwellStage* dwell = nullptr;
    PointerPlacementStage* pointer = nullptr;
    AutoAdjustStage* autoAdjust = nullptr;
    StatisticsStage* statistics = nullptr;
    HeadShakeStage* headShake = nullptr;
};

}  // namespace veltranix
