#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "capture/capture_frame.h"
#include "capture/frame_drawing.h"
#include "core/clock.h"
#include "core/companion_port.h"
#include "core/desktop_port.h"
#include "core/feedback_port.h"
#include "core/user_interface_port.h"
#include "settings/settings.h"
#include "tracking/face_detector.h"
#include "tracking/template_tracker.h"
#include "tracking/track_stages.h"
#include "tracking/tracking_windows_port.h"
#include "tracking/work_image.h"

namespace veltranix {

enum class TrackingState : std::int32_t {
    Detect = 0,
    StartTracking = 2,
    Track = 3,
    Reset = 4,
    Restart = 5,
    ManualMouse = 7,
    HeadPause = 8,
    Suspended = 9,
};

std::string_view TrackingStateName(TrackingState state);

// What the loop shares with the windows. The windows write `state` to steer
// the loop (it is read at the next frame) and read the rest.
struct TrackingShared {
    std::atomic<TrackingState> state{TrackingState::Detect};
    std::atomic<std::int32_t> faceStatus{static_cast<std::int32_t>(FaceStatus::NoFace)};
    std::atomic<std::int32_t> steadyProgress{0};
    std::atomic<bool> headPaused{false};
    std::atomic<bool> calibrationHold{false};
    // Set while the eye positions come from the manual placement window.
    std::atomic<bool> handPlacedEyes{false};
};

// The trigger that fired; the numbers are the statistics log's "Tclic".
enum class TriggerKind { Eye = 0, Mouth = 1, Dwell = 2 };

// What one frame did, for traces and tests; empty fields did not apply.
struct FrameReport {
    TrackingState state = TrackingState::Detect;  // the state the frame ran
    bool processed = false;                       // false: skipped (warm-up, back-off)
    std::optional<FaceStatus> faceStatus;
    std::optional<bool> facePlaced;
    std::optional<FaceRect> face;          // averaged face box, 640 x 480 units
    std::optional<FaceSearch> faceSearch;  // how the face was found
    std::optional<double> faceMotion;
    std::optional<float> matchCost;
    std::optional<double> trackedX;
    std::optional<double> trackedY;
    std::optional<ScreenPoint> target;
    std::optional<ScreenPoint> pointer;
    std::optional<double> eyeActivity1;
    std::optional<double> eyeActivity2;
    std::optional<double> mouthActivity;
    std::optional<double> eyeClosure;    // held gestures: 1 = closed
    std::optional<double> mouthOpening;  // held gestures: 1 = open
    bool gestureBuilding = false;        // the pointer holds still for a gesture
    std::optional<TriggerKind> trigger;
    std::optional<int> clickRequest;
    std::optional<Calibration> calibration;  // set on the frame that calibrated
};

struct TrackingLoopPorts {
    Clock& clock;
    DesktopPort& desktop;
    CompanionPort& companion;
    TrackingWindowsPort& windows;
    UserInterfacePort& userInterface;
    TrackingSettingsActions& settingsActions;
};

// The per-frame tracking loop: turns each camera frame into a grey image,
// advances the tracking state machine by one step and draws feedback into
// the frame. Runs on the GUI thread, once per 40 ms tick, never re-entered.
class TrackingLoop {
  public:
    TrackingLoop(const Settings& settings, TrackingShared& shared, TrackingLoopPorts ports,
                 TrackStages stages, std::filesystem::path cascadeFile);

    // The frame callback. A frame that is not in `table`'s layout, or too
    // short for it, is skipped (the user is told once). The frame is only used
    // during the call. Returns true (the callback's result).
    bool OnFrame(CaptureFrame& frame, const PixelOffsetTable& table);

    const FrameReport& lastFrame() const { return report_; }

    // How a still face in view is detected: followed between searches at
    // every size (the default), or searched for at every size on each frame.
    void setStillFaceSearch(FaceSearch search) { stillFaceSearch_ = search; }
    // Eyes placed by hand: the next frame builds the template on them.
    void startWithEyes(const EyeLine& eyes);
    // The windows' way to make the next calibration wait the settling second again.
    void restartSettling();
    // Called by the head-pause cooldown timer's second tick.
    void endHeadPauseCooldown() { headPauseCooldown_ = false; }

    // The pointer's range and mapping size; options windows narrow them while open.
    PointerRange& pointerRange() { return range_; }
    ScreenSize screenSize() const { return screen_; }
    const EyeLine& eyeLine() const { return calibration_.eyes; }
    int interocularDistance() const { return calibration_.interocularDistance; }
    const TemplateTracker& templateTracker() const { return tracker_; }
    double pointerTravel() const { return pointerTravel_; }
    // The pointer the manual-mouse test compares with.
    ScreenPoint lastPointer() const { return lastPointer_; }
    bool headPauseCooldown() const { return headPauseCooldown_; }
    bool detectorFailed() const { return detectorFailed_; }
    // No face for more than ten seconds: detection runs twice a second, and
    // the frames between are skipped (not processed).
    bool nobodyHere() const;

  private:
    void followMenusAndDocking(ScreenPoint pointer);
    void runDetect(CaptureFrame& frame);
    void runStartTracking();
    void runTrack(CaptureFrame& frame, ScreenPoint pointerAtFrameStart);
    void runReset();
    void runRestart();
    void runManualMouse(CaptureFrame& frame);
    void runHeadPause(CaptureFrame& frame);
    void runSuspended();
    void drawDetection(CaptureFrame& frame, const Detection& detection) const;
    void drawTrackingMarks(CaptureFrame& frame, FrameColour rgb, FrameColour yuv);
    void setState(TrackingState state) { shared_.state.store(state); }
    // Milliseconds by the clock, steady across midnight.
    long long frameClockMs();
    bool popupOpen() const { return ports_.windows.anyPopupOpen(); }
    ScreenPoint screenCentre() const { return {screen_.width / 2, screen_.height / 2}; }

    const Settings& settings_;
    TrackingShared& shared_;
    TrackingLoopPorts ports_;
    TrackStages stages_;
    std::filesystem::path cascadeFile_;
    FaceDetector detector_;
    TemplateTracker tracker_;
    FrameReport report_;

    WorkImage images_[2];
    int current_ = 0;

    ScreenSize screen_;
    PointerRange range_;
    bool firstCall_ = true;
    bool warmUpSkip_ = true;
    int warmUpCount_ = 0;
    bool detectPaused_ = false;
    std::optional<SystemTime> detectPauseStart_;
    // The frame clock of the first detection without a face since one was
    // last seen, and of the latest detection.
    std::optional<long long> noFaceSinceMs_;
    long long lastDetectMs_ = 0;
    long long lastFullSearchMs_ = 0;
    FaceSearch stillFaceSearch_ = FaceSearch::Follow;
    bool cascadeUnloaded_ = true;
    bool detectorFailed_ = false;
    bool unexpectedFrameReported_ = false;
    bool settleStarted_ = false;
    SystemTime settleStart_;
    bool steadyStarted_ = false;
    SystemTime steadyStart_;
    bool reanchorPending_ = true;
    int mouseMovedCount_ = 0;
    ScreenPoint lastPointer_;
    ScreenPoint detectedFaceCentre_;
    ScreenPoint pointerTarget_;
    ScreenPoint previousTarget_;
    double previousTrackedX_ = 0.0;
    double previousTrackedY_ = 0.0;
    double pointerTravel_ = 0.0;
    bool headPauseCooldown_ = false;
    // Restart has laid the windows out and waits to show them.
    bool restartLaidOut_ = false;
    SystemTime restartLaidOutAt_;
    int gestureKind_ = -1;
    bool menuFormShown_ = false;
    bool pointerLeftDockCorner_ = false;
    bool companionShown_ = false;
    bool manualMouseCountdownStarted_ = false;
    SystemTime manualMouseStart_;
    Calibration calibration_;
    TrackingRun run_;
    std::optional<long long> lastDayMs_;
    long long frameClockMs_ = 0;
};

}  // namespace veltranix
