#include "tracking/auto_adjust.h"

#include <cmath>

#include "core/timing.h"

namespace veltranix {

namespace {
constexpr int kDriftCheckMinimumSide = 30;
}  // namespace

std::optional<ScreenPoint> DriftCheckCentre(const std::vector<FaceRect>& rects) {
    const std::optional<std::size_t> chosen = ChooseNearestCentre(rects);
    if (!chosen) {
        return std::nullopt;
    }
    const FaceRect& face = rects[*chosen];
    const int width = TruncateTowardZero(4.0 * face.width);
    const int height = TruncateTowardZero(4.0 * face.height);
    return ScreenPoint{RoundHalfDown((width / 2 + 4 * face.x) * 0.25) * 4,
                       RoundHalfDown((height / 2 + 4 * face.y) * 0.25) * 4};
}

DriftAutoAdjust::DriftAutoAdjust(Clock& clock, std::filesystem::path cascadeFile)
    : clock_(clock), cascadeFile_(std::move(cascadeFile)) {}

void DriftAutoAdjust::startRun(const TrackingRun& run) {
    calibratedCentre_ = run.detectedFaceCentre;
}

bool DriftAutoAdjust::run(const WorkImage& image) {
    const SystemTime now = clock_.utcNow();
    if (!timerStarted_) {
        timerStarted_ = true;
        timerStart_ = now;
        return false;
    }
    if (!ElapsedMoreThan(timerStart_, now, kIntervalSeconds)) {
        return false;
    }
    timerStarted_ = false;
    return DriftCheck(image) == DriftVerdict::RestartNeeded;
}

DriftVerdict DriftAutoAdjust::DriftCheck(const WorkImage& image) {
    FaceDetector detector;
    if (!detector.loadCascade(cascadeFile_)) {
        // Without a detector the check cannot tell; restarting would only
        // stop tracking for a detection that cannot run either.
        return DriftVerdict::DetectorUnavailable;
    }
    const std::optional<ScreenPoint> centre =
        DriftCheckCentre(detector.findFaces(image, kDriftCheckMinimumSide));
    if (!centre) {
        lastDrift_.reset();
        return DriftVerdict::RestartNeeded;
    }
    lastDrift_ = std::hypot(centre->x - calibratedCentre_.x, centre->y - calibratedCentre_.y);
    return *lastDrift_ > kDriftLimitPixels ? DriftVerdict::RestartNeeded : DriftVerdict::Kept;
}

}  // namespace veltranix
