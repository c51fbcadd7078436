#include "tracking/tracking_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/desktop_layout.h"
#include "core/timing.h"
#include "pointer/click_codes.h"

namespace veltranix {

namespace {

constexpr int kWarmUpFrames = 20;  // frames counted before the one that ends the warm-up
constexpr float kDetectBackOffSeconds = 4.0f;
// Nobody in view for this long: the camera picture is looked at twice a
// second, so a face that comes back is found within a second.
constexpr long long kNobodyHereMs = 10000;
constexpr long long kNobodyDetectPeriodMs = 500;
constexpr float kSettleSeconds = 1.0f;
constexpr float kSteadySeconds = 3.0f;
constexpr float kManualMouseStillSeconds = 3.0f;
// A face in view is searched for at every size at least this often, so that
// a face nearer the centre is still chosen; and on every frame of the
// countdown's last part, whose boxes are averaged into the calibration.
constexpr long long kFullFaceSearchPeriodMs = 1000;
constexpr float kCountdownEndSeconds = 0.6f;
constexpr float kLostFaceCost = 35.0f;
constexpr int kShortSleepMs = 2;
constexpr float kRestartShowSeconds = 0.5f;
constexpr int kManualMouseMoveLimit = 20;
constexpr int kManualMouseMoves = 3;
constexpr int kCountdownBarPixels = 450;

constexpr FrameColour kGreen{0, 255, 0};
constexpr FrameColour kRed{255, 0, 0};
// Chroma of green and red for the YUV layouts (luma, V, U); the outline is
// drawn through the chroma samples only.
constexpr FrameColour kChromaGreen{0, 21, 43};
constexpr FrameColour kChromaRed{0, 255, 85};

bool IsYuv(const CaptureFrame& frame) {
    return frame.layout != FrameLayout::Rgb24BottomUp;
}

// Seconds from `start` to `now` as the delays measure them, across an hour's
// roll-over too.
float SecondsSince(const SystemTime& start, const SystemTime& now) {
    float elapsed = SecondsWithinHour(now) - SecondsWithinHour(start);
    if (elapsed < 0.0f) {
        elapsed += 3600.0f;
    }
    return elapsed;
}

// The click kind bound to a trigger: its lowest flagged column.
std::optional<int> BoundClickKind(const Settings& settings, GestureRow row) {
    const GestureChoiceRow& flags = settings.gestureClickMatrix[static_cast<std::size_t>(row)];
    for (std::size_t kind = 0; kind < flags.size(); ++kind) {
        if (flags[kind] != 0) {
            return static_cast<int>(kind);
        }
    }
    return std::nullopt;
}

long long MsOfDay(const SystemTime& time) {
    return ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
}

bool MovesPointer(std::int32_t pointerMoveMode) {
    return pointerMoveMode == 2 || pointerMoveMode == 3;
}

}  // namespace

std::string_view TrackingStateName(TrackingState state) {
    switch (state) {
        case TrackingState::Detect:
            return "Detect";
        case TrackingState::StartTracking:
            return "StartTracking";
        case TrackingState::Track:
            return "Track";
        case TrackingState::Reset:
            return "Reset";
        case TrackingState::Restart:
            return "Restart";
        case TrackingState::ManualMouse:
            return "ManualMouse";
        case TrackingState::HeadPause:
            return "HeadPause";
        case TrackingState::Suspended:
            return "Suspended";
    }
    return "Unknown";
}

TrackingLoop::TrackingLoop(const Settings& settings, TrackingShared& shared,
                           TrackingLoopPorts ports, TrackStages stages,
                           std::filesystem::path cascadeFile)
    : settings_(settings),
      shared_(shared),
      ports_(ports),
      stages_(stages),
      cascadeFile_(std::move(cascadeFile)),
      tracker_(BuildNearDisc(25)) {
    screen_ = WithinScreenLimits(ports_.desktop.screenSize());
    range_.bounds = {0, 0, screen_.width, screen_.height};
    range_.mappingSize = screen_;
}

void TrackingLoop::startWithEyes(const EyeLine& eyes) {
    calibration_.eyes = eyes;
    calibration_.interocularDistance = eyes.rightX - eyes.leftX;
    shared_.handPlacedEyes.store(true);
    setState(TrackingState::StartTracking);
}

void TrackingLoop::restartSettling() {
    settleStarted_ = false;
    steadyStarted_ = false;
    shared_.steadyProgress.store(0);
}

bool TrackingLoop::OnFrame(CaptureFrame& frame, const PixelOffsetTable& table) {
    report_ = FrameReport{};
    report_.state = shared_.state.load();
    if (stages_.dwell->holdingFrames()) {
        // A timed press holds the button: no frame is processed meanwhile.
        return true;
    }
    if (frame.layout != table.layout() || frame.bytes.size() < FrameBufferBytes(frame.layout)) {
        // Reading it would leave the previous picture in place; say so once.
        if (!unexpectedFrameReported_) {
            unexpectedFrameReported_ = true;
            ports_.userInterface.showMessage(
                "The camera delivers frames of another format or size than the one chosen; "
                "they are skipped.",
                "Veltranix");
        }
        return true;
    }
    if (firstCall_) {
        firstCall_ = false;
        pointerTarget_ = screenCentre();
        previousTarget_ = screenCentre();
    }
    if (ports_.windows.manualEyeViewActive()) {
        ports_.windows.drawManualEyeGuides(frame);
    }
    if (detectPaused_ && nobodyHere()) {
        if (frameClockMs() - lastDetectMs_ < kNobodyDetectPeriodMs) {
            return true;
        }
        detectPaused_ = false;
        detectPauseStart_.reset();
    }
    if (detectPaused_) {
        const SystemTime now = ports_.clock.utcNow();
        if (!detectPauseStart_) {
            detectPauseStart_ = now;
        } else if (ElapsedMoreThan(*detectPauseStart_, now, kDetectBackOffSeconds)) {
            detectPaused_ = false;
            detectPauseStart_.reset();
        } else {
            return true;
        }
    }
    // Read once a frame: nothing before the state's stage moves the pointer.
    const ScreenPoint pointer = ports_.desktop.pointerPosition();
    followMenusAndDocking(pointer);
    if (warmUpSkip_) {
        if (warmUpCount_ >= kWarmUpFrames) {
            warmUpSkip_ = false;
            warmUpCount_ = 0;
        } else {
            ++warmUpCount_;
        }
        current_ = 1 - current_;
        return true;
    }
    if (images_[0].empty()) {
        images_[0].assign(kFramePixels, 0);
        images_[1].assign(kFramePixels, 0);
    }
    FillWorkImageByLayout(frame, images_[current_]);
    report_.processed = true;
    switch (report_.state) {
        case TrackingState::Detect:
            runDetect(frame);
            break;
        case TrackingState::StartTracking:
            runStartTracking();
            break;
        case TrackingState::Track:
            runTrack(frame, pointer);
            break;
        case TrackingState::Reset:
            runReset();
            break;
        case TrackingState::Restart:
            runRestart();
            break;
        case TrackingState::ManualMouse:
            runManualMouse(frame);
            break;
        case TrackingState::HeadPause:
            runHeadPause(frame);
            break;
        case TrackingState::Suspended:
            runSuspended();
            break;
    }
    current_ = 1 - current_;
    return true;
}

void TrackingLoop::followMenusAndDocking(ScreenPoint pointer) {
    TrackingWindowsPort& windows = ports_.windows;
    const bool clickMenuShown = stages_.dwell->followClickMenu(pointer);
    if (windows.mainWindowInStartupForm() || windows.restartCountdownShown()) {
        return;
    }
    // The main window docks in the primary monitor's share of the work area;
    // a monitor beside it is not its corner.
    const std::vector<ScreenRect> monitors = ports_.desktop.monitors();
    const ScreenRect workArea = PrimaryWorkArea(monitors, ports_.desktop.workArea());
    const int cornerRight = monitors.empty() ? screen_.width : monitors.front().right;
    const ScreenPoint corner = windows.mainWindowTopLeft();
    if (!windows.mainWindowHiddenByUser()) {
        // Also when the window came back otherwise (a second start): after
        // the next hide the pointer must leave the corner first.
        pointerLeftDockCorner_ = false;
        const bool inside = corner.x < pointer.x && pointer.x < cornerRight &&
                            corner.y < pointer.y && pointer.y < workArea.bottom;
        if (inside) {
            if (!clickMenuShown) {
                if (!popupOpen()) {
                    windows.setCameraViewVisibility(Visibility::Hidden);
                    windows.showMainMenuForm();
                    menuFormShown_ = true;
                } else {
                    menuFormShown_ = false;
                    windows.dockMainWindow();
                    windows.setMainWindowVisibility(Visibility::Shown);
                }
            }
        } else {
            const TrackingState state = shared_.state.load();
            if (state != TrackingState::Reset && state != TrackingState::Restart &&
                !windows.dockingHeldByPopup()) {
                windows.dockMainWindow();
                windows.setMainWindowVisibility(Visibility::Shown);
                windows.setCameraViewVisibility(Visibility::Shown);
            }
            menuFormShown_ = false;
        }
        return;
    }
    if (pointer.x < screen_.width / 2 || pointer.y < screen_.height / 2) {
        pointerLeftDockCorner_ = true;
    }
    const bool insideWidened = corner.x - screen_.width / 12 < pointer.x &&
                               pointer.x < cornerRight && corner.y < pointer.y &&
                               pointer.y < workArea.bottom;
    if (pointerLeftDockCorner_ && insideWidened) {
        windows.dockMainWindow();
        windows.setMainWindowVisibility(Visibility::Shown);
        windows.setCameraViewVisibility(Visibility::Shown);
        windows.endMainWindowHidden();
        pointerLeftDockCorner_ = false;
    }
}

void TrackingLoop::runDetect(CaptureFrame& frame) {
    const ScreenPoint pointer = ports_.desktop.pointerPosition();
    ports_.windows.clearButtonHighlightUnlessHovered(pointer);
    if (detectorFailed_) {
        return;
    }
    if (cascadeUnloaded_) {
        if (!detector_.loadCascade(cascadeFile_)) {
            // Detecting with an empty classifier would never find a face and
            // never say why: tell the user once and end the program.
            detectorFailed_ = true;
            ports_.userInterface.showMessage(detector_.loadError(), "Veltranix");
            ports_.userInterface.requestShutdown();
            return;
        }
        cascadeUnloaded_ = false;
        ports_.clock.sleepMs(kShortSleepMs);
        ports_.windows.openLoadingBar();
        ports_.clock.sleepMs(kShortSleepMs);
    }
    const FaceReach reach = nobodyHere() ? FaceReach::NearEnoughToPlace : FaceReach::Any;
    const long long frameMs = frameClockMs();
    const bool countdownEnding =
        steadyStarted_ &&
        ElapsedMoreThan(steadyStart_, ports_.clock.utcNow(), kSteadySeconds - kCountdownEndSeconds);
    const FaceSearch search = stillFaceSearch_ == FaceSearch::Follow && !countdownEnding &&
                                      frameMs - lastFullSearchMs_ < kFullFaceSearchPeriodMs
                                  ? FaceSearch::Follow
                                  : FaceSearch::EverySize;
    const std::optional<Detection> detection = detector_.detect(images_[current_], reach, search);
    lastDetectMs_ = frameMs;
    if (detector_.lastSearch() == FaceSearch::EverySize) {
        lastFullSearchMs_ = frameMs;
    }
    if (!detection) {
        if (!noFaceSinceMs_) {
            noFaceSinceMs_ = lastDetectMs_;
        }
        shared_.faceStatus.store(static_cast<std::int32_t>(FaceStatus::NoFace));
        shared_.steadyProgress.store(0);
        // Detection backs off once the far faces have been looked for everywhere.
        if (reach == FaceReach::NearEnoughToPlace || !detector_.farSearchUnfinished()) {
            detectPaused_ = true;
        }
        report_.faceStatus = FaceStatus::NoFace;
        report_.facePlaced = false;
        return;
    }
    noFaceSinceMs_.reset();
    const Placement& placement = detection->placement;
    shared_.faceStatus.store(static_cast<std::int32_t>(placement.status));
    report_.faceStatus = placement.status;
    report_.facePlaced = placement.placed;
    report_.faceMotion = detection->faceMotion;
    report_.faceSearch = detector_.lastSearch();
    report_.face = FaceRect{detection->face.meanX, detection->face.meanY, detection->face.meanWidth,
                            detection->face.meanHeight};
    drawDetection(frame, *detection);

    const SystemTime now = ports_.clock.utcNow();
    if (!placement.placed || detection->faceMotion > kSteadyMotionPixels) {
        steadyStarted_ = false;
    } else if (!settleStarted_ && !steadyStarted_) {
        settleStarted_ = true;
        settleStart_ = now;
    } else if (ElapsedMoreThan(settleStart_, now, kSettleSeconds)) {
        if (!steadyStarted_) {
            steadyStarted_ = true;
            steadyStart_ = now;
        } else if (!shared_.calibrationHold.load()) {
            if (!ElapsedMoreThan(steadyStart_, now, kSteadySeconds)) {
                shared_.steadyProgress.store(TruncateTowardZero(
                    ports_.windows.positionHintWidth() * SecondsSince(steadyStart_, now) / 3.0));
            } else {
                calibration_ = Calibrate(detection->face);
                detectedFaceCentre_ = detector_.storedCentre();
                report_.calibration = calibration_;
                ports_.settingsActions.saveGestureLevels(calibration_.nivellUll,
                                                         calibration_.nivellBoca);
                setState(TrackingState::StartTracking);
                shared_.handPlacedEyes.store(false);
                steadyStarted_ = false;
                shared_.steadyProgress.store(0);
                ports_.windows.closeLoadingBar();
                ports_.clock.sleepMs(kShortSleepMs);
            }
        }
    }
}

void TrackingLoop::runStartTracking() {
    detector_.releaseCascade();
    cascadeUnloaded_ = true;
    stages_.dwell->restoreSystemCursors();
    const EyeLine& eyes = calibration_.eyes;
    if (tracker_.build(images_[current_], eyes) != TemplateBuild::Built) {
        // Eyes placed by hand too near the edge for the template: detect afresh.
        setState(TrackingState::Reset);
        return;
    }
    run_.eyes = eyes;
    run_.interocularDistance = calibration_.interocularDistance;
    run_.headBoxCentre = {eyes.leftX + (eyes.rightX - eyes.leftX) / 2, eyes.leftY};
    run_.reanchorPending = reanchorPending_;
    run_.detectedFaceCentre = detectedFaceCentre_;
    reanchorPending_ = false;
    stages_.headMotion->startRun(run_, screen_);
    stages_.gestures->startRun(run_, images_[current_]);
    stages_.autoAdjust->startRun(run_);
    stages_.headShake->startRun(run_);

    ports_.windows.destroyGuideWindow();
    ports_.windows.dockMainWindow();
    stages_.pointer->placePointer(screenCentre());
    setState(TrackingState::Track);
    lastPointer_ = screenCentre();
    stages_.autoAdjust->stopTimer();
    ports_.companion.broadcastTrackingStarted();
    ports_.clock.sleepMs(kShortSleepMs);
    const std::optional<std::uint64_t> companion = ports_.windows.companionWindow();
    if (companion && !companionShown_) {
        ports_.companion.showCompanionWindow(*companion);
        companionShown_ = true;
    }
}

void TrackingLoop::runTrack(CaptureFrame& frame, ScreenPoint pointerAtFrameStart) {
    if (!tracker_.built()) {
        // Set from outside before a template was built (or after a reset):
        // nothing to follow, detect afresh.
        setState(TrackingState::Reset);
        return;
    }
    TrackingWindowsPort& windows = ports_.windows;
    if (settings_.autoAjuste) {
        if (popupOpen()) {
            stages_.autoAdjust->stopTimer();
        } else if (stages_.autoAdjust->run(images_[current_])) {
            windows.startRestartCountdown();
        }
    }
    // A size no screen can have (a desktop in the middle of a change) is not taken.
    const ScreenSize screen = ports_.desktop.screenSize();
    if (ScreenSizeWithinLimits(screen) && screen.width != screen_.width &&
        screen.height != screen_.height) {
        screen_ = screen;
        range_.bounds = {0, 0, screen_.width, screen_.height};
        setState(TrackingState::Reset);
        return;
    }
    ScreenPoint pointer = pointerAtFrameStart;
    stages_.dwell->clearClickMenuHighlight(pointer);
    if (MovesPointer(settings_.pointerMoveMode)) {
        if (std::abs(pointer.x - lastPointer_.x) > kManualMouseMoveLimit ||
            std::abs(pointer.y - lastPointer_.y) > kManualMouseMoveLimit) {
            if (++mouseMovedCount_ == kManualMouseMoves) {
                mouseMovedCount_ = 0;
                setState(TrackingState::ManualMouse);
            }
        }
    }
    const MatchResult match = tracker_.match(images_[current_]);
    report_.matchCost = match.cost;
    if (match.cost >= kLostFaceCost) {
        setState(TrackingState::Reset);
        return;
    }
    const HeadMotion motion = stages_.headMotion->update(
        match, {pointer, previousTarget_, previousTrackedX_, previousTrackedY_, screen_, range_});
    pointerTarget_ = motion.target;
    gestureKind_ = -1;
    report_.trackedX = motion.trackedX;
    report_.trackedY = motion.trackedY;
    report_.target = motion.target;

    const std::optional<int> eyeKind = BoundClickKind(settings_, GestureRow::Eye);
    const std::optional<int> mouthKind = BoundClickKind(settings_, GestureRow::Mouth);
    GestureOutcome eyes;
    GestureOutcome mouth;
    std::optional<int> dwellKind;
    DwellStage& dwell = *stages_.dwell;
    ScrollFrame scroll = dwell.followScroll(motion, run_.interocularDistance, frameClockMs());
    if (scroll != ScrollFrame::Off) {
        // The head scrolls the window under the pointer: the pointer stays.
        pointerTarget_ = pointer;
        report_.target = pointer;
    }
    const bool clickPause = dwell.postClickPauseRunning();
    // Nothing has moved the pointer since it was read above. A head held out
    // to scroll is not still: the dwell clock that ends the mode waits for
    // the head to come back.
    const bool still =
        !clickPause && dwell.headStill(pointer, scroll == ScrollFrame::Scrolling
                                                    ? std::numeric_limits<double>::infinity()
                                                    : motion.trackMotion);
    if (still) {
        const WorkImage& previous = images_[1 - current_];
        eyes = stages_.gestures->testEyes(images_[current_], previous, motion);
        mouth = stages_.gestures->testMouth(images_[current_], previous, motion);
    }
    const HeldGestures held =
        stages_.gestures->followHeld(images_[current_], motion, frameClockMs());
    if (settings_.gestureHoldMs > 0) {
        eyes.fired = held.eyesFired && !clickPause;
        mouth.fired = held.mouthFired && !clickPause;
    }
    if (still && settings_.pointerMoveMode != 1) {
        dwellKind = dwell.runClock((eyes.fired && eyeKind) || (mouth.fired && mouthKind));
    }
    // Shown where the user looks: the clock cursor stands at the hold's progress.
    dwell.followHoldProgress(held.building ? held.progress : 0.0);
    report_.eyeActivity1 = eyes.activity;
    report_.eyeActivity2 = eyes.secondActivity;
    report_.mouthActivity = mouth.activity;
    report_.eyeClosure = held.eyeClosure;
    report_.mouthOpening = held.mouthOpening;
    report_.gestureBuilding = held.building;
    if (held.building) {
        // The click lands where the user aimed: the head moves the pointer no more.
        pointerTarget_ = previousTarget_;
        report_.target = pointerTarget_;
    }

    std::optional<std::pair<int, TriggerKind>> trigger;
    if (eyes.fired && eyeKind) {
        trigger = {*eyeKind, TriggerKind::Eye};
    } else if (mouth.fired && mouthKind) {
        trigger = {*mouthKind, TriggerKind::Mouth};
    } else if (dwellKind) {
        trigger = {*dwellKind, TriggerKind::Dwell};
    }
    if (trigger) {
        report_.trigger = trigger->second;
        report_.clickRequest = dwell.onTrigger(trigger->first);
        gestureKind_ = static_cast<int>(trigger->second);
        if (report_.clickRequest == click_request::kScroll) {
            // Scrolling begins: the pointer stays where the choice left it.
            scroll = ScrollFrame::Holding;
        }
    }
    if (MovesPointer(settings_.pointerMoveMode) && scroll == ScrollFrame::Off) {
        stages_.pointer->placePointer(pointerTarget_);
        pointerTravel_ +=
            std::hypot(pointerTarget_.x - previousTarget_.x, pointerTarget_.y - previousTarget_.y);
    }
    previousTrackedX_ = motion.trackedX;
    previousTrackedY_ = motion.trackedY;
    previousTarget_ = pointerTarget_;

    pointer = ports_.desktop.pointerPosition();
    report_.pointer = pointer;
    stages_.statistics->writeLine(
        {eyes.activity, mouth.activity, pointer, gestureKind_, run_.interocularDistance});

    if (!popupOpen() && !windows.restartCountdownShown() && !headPauseCooldown_ &&
        settings_.autoPause == 1 &&
        stages_.headShake->detect(TruncateTowardZero(motion.trackedX),
                                  TruncateTowardZero(motion.trackedY), HeadPauseState::Tracking) &&
        MovesPointer(settings_.pointerMoveMode)) {
        windows.startHeadPauseCooldownTimer();
        headPauseCooldown_ = true;
        setState(TrackingState::HeadPause);
        shared_.headPaused.store(true);
    }
    lastPointer_ = pointer;
    if (!windows.restartCountdownShown()) {
        drawTrackingMarks(frame, kGreen, FrameColour{127, 0, 0});
        if (held.building && held.progress > 0.0) {
            // A held gesture's progress, as a bar along the camera view's foot.
            const int barPixels = TruncateTowardZero(held.progress * kCountdownBarPixels);
            FillFrameRect(frame, 95, 440, 95 + std::max(barPixels, 1) - 1, 459,
                          IsYuv(frame) ? FrameColour{150, 21, 43} : kGreen);
        }
    }
}

bool TrackingLoop::nobodyHere() const {
    return noFaceSinceMs_ && lastDetectMs_ - *noFaceSinceMs_ > kNobodyHereMs;
}

long long TrackingLoop::frameClockMs() {
    // The clock's time of day, made steady across midnight.
    const long long dayMs = MsOfDay(ports_.clock.utcNow());
    constexpr long long kDayMs = 24LL * 3600 * 1000;
    if (lastDayMs_) {
        frameClockMs_ += (dayMs - *lastDayMs_ + kDayMs) % kDayMs;
    }
    lastDayMs_ = dayMs;
    return frameClockMs_;
}

void TrackingLoop::runReset() {
    restartLaidOut_ = false;
    stages_.dwell->restoreSystemCursors();
    tracker_.release();
    stages_.gestures->endRun();
    images_[0] = WorkImage();
    images_[1] = WorkImage();
    warmUpSkip_ = true;
    noFaceSinceMs_.reset();
    shared_.headPaused.store(false);
    reanchorPending_ = true;
    previousTarget_ = screenCentre();
    previousTrackedX_ = screenCentre().x;
    previousTrackedY_ = screenCentre().y;
    ports_.settingsActions.applyWebcamSettings();
    ports_.windows.setMainWindowVisibility(Visibility::Hidden);
    ports_.windows.setCameraViewVisibility(Visibility::Hidden);
    ports_.windows.closeAllPopups();
    setState(TrackingState::Restart);
}

void TrackingLoop::runRestart() {
    const SystemTime now = ports_.clock.utcNow();
    if (!restartLaidOut_) {
        ports_.windows.centerMainWindowLarge();
        menuFormShown_ = false;
        if (ports_.windows.manualEyeViewActive()) {
            ports_.windows.leaveManualEyeView();
        }
        restartSettling();
        // The windows show half a second later; the frame callback must not
        // wait for it, so the frames until then do nothing else.
        restartLaidOut_ = true;
        restartLaidOutAt_ = now;
        return;
    }
    if (!ElapsedAtLeast(restartLaidOutAt_, now, kRestartShowSeconds)) {
        return;
    }
    restartLaidOut_ = false;
    setState(TrackingState::Detect);
    ports_.windows.setMainWindowVisibility(Visibility::Shown);
    ports_.windows.setCameraViewVisibility(Visibility::Shown);
}

void TrackingLoop::runManualMouse(CaptureFrame& frame) {
    stages_.dwell->restoreSystemCursors();
    stages_.dwell->hideClickMenu();
    const ScreenPoint pointer = ports_.desktop.pointerPosition();
    report_.pointer = pointer;
    int barPixels = 0;
    if (pointer.x != lastPointer_.x && pointer.y != lastPointer_.y) {
        manualMouseCountdownStarted_ = false;
    }
    const SystemTime now = ports_.clock.utcNow();
    if (!manualMouseCountdownStarted_) {
        manualMouseCountdownStarted_ = true;
        manualMouseStart_ = now;
    } else if (ElapsedMoreThan(manualMouseStart_, now, kManualMouseStillSeconds)) {
        setState(TrackingState::Track);
        stages_.autoAdjust->stopTimer();
        manualMouseCountdownStarted_ = false;
    } else {
        barPixels = TruncateTowardZero(SecondsSince(manualMouseStart_, now) * kCountdownBarPixels /
                                       kManualMouseStillSeconds);
    }
    const FrameColour colour = IsYuv(frame) ? FrameColour{200, 150, 51} : FrameColour{234, 248, 3};
    if (barPixels > 0) {
        FillFrameRect(frame, 95, 440, 95 + barPixels - 1, 459, colour);
    }
    lastPointer_ = pointer;
    drawTrackingMarks(frame, FrameColour{234, 248, 3}, FrameColour{200, 150, 51});
}

void TrackingLoop::runHeadPause(CaptureFrame& frame) {
    if (!tracker_.built()) {
        setState(TrackingState::Reset);
        return;
    }
    stages_.dwell->restoreSystemCursors();
    shared_.headPaused.store(true);
    ports_.windows.invalidateCameraView();
    const MatchResult match = tracker_.match(images_[current_]);
    report_.matchCost = match.cost;
    report_.trackedX = match.centroidX;
    report_.trackedY = match.centroidY;
    if (match.cost > kLostFaceCost) {
        setState(TrackingState::Reset);
        return;
    }
    const bool yuv = IsYuv(frame);
    const FrameColour colour = yuv ? FrameColour{127, 0, 191} : FrameColour{64, 208, 251};
    drawTrackingMarks(frame, FrameColour{64, 208, 251}, FrameColour{127, 0, 191});
    const int top = yuv ? 20 : 19;
    FillFrameRect(frame, 20, top, 39, top + 80, colour);
    FillFrameRect(frame, 50, top, 69, top + 80, colour);
    HeadShakeStage& shake = *stages_.headShake;
    if (shake.feedbackArmed()) {
        const int squareTop = yuv ? 20 : 19;
        for (int square = 0; square < 3; ++square) {
            const bool reached = shake.progress() >= square + 2;
            const FrameColour squareColour =
                yuv ? (reached ? FrameColour{150, 21, 43} : FrameColour{76, 255, 85})
                    : (reached ? kGreen : kRed);
            const int left = 400 + 60 * square;
            FillFrameRect(frame, left, squareTop, left + 39, squareTop + 40, squareColour);
        }
    }
    if (!headPauseCooldown_ && !popupOpen() && !ports_.windows.restartCountdownShown()) {
        // The resumed frames compare the pointer with the screen centre.
        lastPointer_ = screenCentre();
        if (shake.detect(TruncateTowardZero(match.centroidX), TruncateTowardZero(match.centroidY),
                         HeadPauseState::Paused)) {
            ports_.windows.startHeadPauseCooldownTimer();
            headPauseCooldown_ = true;
            shared_.headPaused.store(false);
            if (settings_.trasPausa) {
                setState(TrackingState::Reset);
                stages_.autoAdjust->stopTimer();
            } else {
                setState(TrackingState::Track);
            }
        }
    }
}

void TrackingLoop::runSuspended() {
    ports_.windows.clearButtonHighlightUnlessHovered(ports_.desktop.pointerPosition());
    if (!cascadeUnloaded_) {
        detector_.releaseCascade();
        cascadeUnloaded_ = true;
    }
}

void TrackingLoop::drawDetection(CaptureFrame& frame, const Detection& detection) const {
    const AveragedFace& face = detection.face;
    const bool placed = detection.placement.placed;
    FrameColour colour = placed ? kGreen : kRed;
    SampleChoice samples = SampleChoice::AllSamples;
    if (IsYuv(frame)) {
        colour = placed ? kChromaGreen : kChromaRed;
        samples = SampleChoice::ChromaOnly;
    }
    DrawDashedOutline(frame, face.meanX, face.meanY, face.meanX + face.meanWidth,
                      face.meanY + face.meanHeight, 4, 5, 6, colour, samples);
    const Placement& placement = detection.placement;
    for (const float side : {-1.0f, 1.0f}) {
        const int eyeX = TruncateTowardZero(static_cast<float>(placement.centreX) +
                                            side * placement.halfEyeDistance);
        FillFrameRect(frame, eyeX - 3, placement.eyeLineY - 3, eyeX + 3, placement.eyeLineY + 3,
                      colour, samples);
    }
}

void TrackingLoop::drawTrackingMarks(CaptureFrame& frame, FrameColour rgb, FrameColour yuv) {
    // The tracking marks replace the manual eye-placement guides.
    if (ports_.windows.manualEyeViewActive()) {
        ports_.windows.leaveManualEyeView();
    }
    const FrameColour colour = IsYuv(frame) ? yuv : rgb;
    const EyeLine& eyes = run_.eyes;
    const int x = run_.headBoxCentre.x;
    const int y = run_.headBoxCentre.y;
    FillFrameRect(frame, x - 5, y - 3, x + 5, y + 2, colour);
    FillFrameRect(frame, x - 3, y - 5, x + 2, y + 4, colour);

    const double distance = run_.interocularDistance;
    const int middleX = (eyes.leftX + eyes.rightX) / 2;
    const int middleY = (eyes.leftY + eyes.rightY) / 2;
    const int left = TruncateTowardZero(middleX - 1.9969 * distance / 2);
    const int right = TruncateTowardZero(middleX + 1.9969 * distance / 2) + 4;
    const int top = TruncateTowardZero(middleY - 1.3044 * distance);
    const int bottom = TruncateTowardZero(middleY + 1.43 * distance) + 4;
    constexpr int kEdge = 10;
    FillFrameRect(frame, left, top, right, top + kEdge - 1, colour);
    FillFrameRect(frame, left, bottom - kEdge + 1, right, bottom, colour);
    FillFrameRect(frame, left, top, left + kEdge - 1, bottom, colour);
    FillFrameRect(frame, right - kEdge + 1, top, right, bottom, colour);
}

}  // namespace veltranix
