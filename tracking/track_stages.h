#pragma once

#include <optional>

#include "core/geometry.h"
#include "pointer/head_shake_detector.h"
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
    // The face centre stored by the last detection before calibration (image
    // pixels); the automatic adjustment measures the drift from it.
    ScreenPoint detectedFaceCentre;
};

// The pointer's range and the size the absolute mapping spans.
struct PointerRange {
    ScreenRect bounds;
    ScreenSize mappingSize;
};

// What the head-motion stage needs of the loop besides the match.
struct HeadMotionFrame {
    ScreenPoint pointer;         // read at the start of the frame
    ScreenPoint previousTarget;  // the previous frame's target
    double previousTrackedX = 0.0;
    double previousTrackedY = 0.0;
    ScreenSize screen;  // the stored screen size
    PointerRange range;
};

struct HeadMotion {
    double trackedX = 0.0;
    double trackedY = 0.0;
    double trackMotion = 0.0;  // pixels since the previous frame
    ScreenPoint target;
    // Head-angle terms (-5..5) that move the eye patches with a turned head.
    int angleX = 0;
    int angleY = 0;
};

struct GestureOutcome {
    bool fired = false;
    std::optional<double> activity;        // the patch activity, when tested
    std::optional<double> secondActivity;  // the second eye's, when tested
};

// The held gestures on one tracking frame: eyes kept closed or the mouth kept
// open, measured against the face as it usually looks.
struct HeldGestures {
    // 0: as the face usually looks; 1: as far as a closed eye (the less closed
    // one of the two) or an open mouth.
    std::optional<double> eyeClosure;
    std::optional<double> mouthOpening;
    // A gesture is on its way (activity past half its level), from its rise
    // until it clicks or fades, 1.5 s past the hold at most, or a change has
    // just left its resting value (0.12 s at most, on a nearly still head):
    // the pointer holds still meanwhile.
    bool building = false;
    // How much of the hold the longer-held gesture has done, 0..1.
    double progress = 0.0;
    // Held for the hold time: once per hold.
    bool eyesFired = false;
    bool mouthFired = false;
};

// The stages of a tracking frame, in the order the loop calls them. Each is
// called on the GUI thread from inside the frame callback.

// Head position to pointer target.
class HeadMotionStage {
  public:
    virtual ~HeadMotionStage() = default;
    virtual void startRun(const TrackingRun& run, ScreenSize screen) = 0;
    virtual HeadMotion update(const MatchResult& match, const HeadMotionFrame& frame) = 0;
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
    // Every tracking frame with a match, after the tests above (if they ran
    // this frame): follows the held gestures; `nowMs` is the frame's time.
    virtual HeldGestures followHeld(const WorkImage& current, const HeadMotion& motion,
                                    long long nowMs) = 0;
};

// The scroll mode on one frame: off, on with the head in its dead zone, or
// scrolling.
enum class ScrollFrame { Off, Holding, Scrolling };

// The dwell clock, the post-click pause and the dispatch of a trigger.
class DwellStage {
  public:
    virtual ~DwellStage() = default;
    // Called first in every frame: true while a timed press holds the button
    // (the frame is then not processed at all); ends the press when its time
    // is up.
    virtual bool holdingFrames() = 0;
    // Brings back the system cursors if the clock cursor is shown, and ends
    // the scroll mode; called whenever tracking leaves its frames.
    virtual void restoreSystemCursors() = 0;
    // True while the pause after a click runs (it times itself meanwhile).
    virtual bool postClickPauseRunning() = 0;
    // Compares the pointer with the previous tested frame; when the head
    // moved, the clock stops, the cursors come back and false is returned.
    virtual bool headStill(ScreenPoint pointer, double trackMotion) = 0;
    // One still frame of the clock, after the gesture tests (a gesture of
    // this frame cancels the clock); the click kind (0..6) when it fires.
    virtual std::optional<int> runClock(bool gestureThisFrame) = 0;
    // A trigger selected the click kind (0..6); the click request code
    // issued, if any.
    virtual std::optional<int> onTrigger(int clickKindIndex) = 0;
    // Every frame: a held gesture's progress (0..1) shown by the cursor; 0
    // when none builds.
    virtual void followHoldProgress(double part) = 0;
    // Every tracking frame: while the scroll mode is on, the head's position
    // (camera pixels) scrolls the window under the pointer.
    virtual ScrollFrame followScroll(const HeadMotion& motion, int eyeDistancePixels,
                                     long long nowMs) = 0;

    // The click-type menu, once per frame: hides it when the pointer has gone
    // far from it; true while it stays shown.
    virtual bool followClickMenu(ScreenPoint pointer) = 0;
    // Clears the menu's highlight when the pointer is no longer over it.
    virtual void clearClickMenuHighlight(ScreenPoint pointer) = 0;
    virtual void hideClickMenu() = 0;
};

class PointerPlacementStage {
  public:
    virtual ~PointerPlacementStage() = default;
    virtual void placePointer(ScreenPoint point) = 0;
};

// The automatic adjustment: every 30 s of tracking the face is detected
// afresh; a face that drifted from where calibration found it asks for a
// restart.
class AutoAdjustStage {
  public:
    virtual ~AutoAdjustStage() = default;
    virtual void startRun(const TrackingRun& run) = 0;
    // One tracking frame with no popup open; true when the restart countdown
    // is to be shown.
    virtual bool run(const WorkImage& image) = 0;
    virtual void stopTimer() = 0;
};

struct StatisticsLine {
    std::optional<double> eyeActivity;
    std::optional<double> mouthActivity;
    ScreenPoint pointer;
    int gestureKind = -1;
    int interocularDistance = 0;
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
    virtual void startRun(const TrackingRun& run) = 0;
    virtual bool detect(int x, int y, HeadPauseState pauseState) = 0;
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
