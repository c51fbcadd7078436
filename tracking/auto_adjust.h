#pragma once

#include <filesystem>
#include <optional>

#include "core/clock.h"
#include "core/geometry.h"
#include "tracking/face_detector.h"
#include "tracking/track_stages.h"
#include "tracking/work_image.h"

namespace veltranix {

// The centre (640 x 480 units, multiples of 4) of the face nearest the image
// centre among rectangles in 160 x 120 units; none for an empty list.
std::optional<ScreenPoint> DriftCheckCentre(const std::vector<FaceRect>& rects);

enum class DriftVerdict { Kept, RestartNeeded, DetectorUnavailable };

// Every 30 s of tracking with no popup open, detects the face afresh and
// compares it with where calibration found it: a face more than 50 pixels
// away, or none at all, asks for the restart countdown. GUI thread.
class DriftAutoAdjust : public AutoAdjustStage {
  public:
    static constexpr float kIntervalSeconds = 30.0f;
    static constexpr double kDriftLimitPixels = 50.0;

    DriftAutoAdjust(Clock& clock, std::filesystem::path cascadeFile);

    void startRun(const TrackingRun& run) override;
    bool run(const WorkImage& image) override;
    void stopTimer() override { timerStarted_ = false; }

    // The check itself: loads the cascade afresh, finds the face and measures
    // its distance from the calibrated one.
    DriftVerdict DriftCheck(const WorkImage& image);
    std::optional<double> lastDriftPixels() const { return lastDrift_; }

  private:
    Clock& clock_;
    std::filesystem::path cascadeFile_;
    ScreenPoint calibratedCentre_;
    bool timerStarted_ = false;
    SystemTime timerStart_;
    std::optional<double> lastDrift_;
};

}  // namespace veltranix
