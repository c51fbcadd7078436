#include "tracking/head_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/timing.h"

namespace veltranix {

namespace {

// The screen the mapping's figures are designed for: 1280 x 1024.
constexpr double kDesignScreenArea = 1310720.0;
constexpr int kDesignScreenWidth = 1280;
constexpr int kRelativeMaximumStepAtDesignWidth = 170;

double ScreenAreaFactor(ScreenSize screen) {
    return kDesignScreenArea / (static_cast<double>(screen.height) * screen.width);
}

}  // namespace

HeadBox ApplyHeadBox(double speedGain, ScreenPoint calibratedCentre) {
    const int width = TruncateTowardZero(speedGain * 65);
    const int height = TruncateTowardZero(speedGain * 35);
    const double cx = calibratedCentre.x;
    const double cy = calibratedCentre.y;
    HeadBox box;
    box.left = RoundHalfDown(cx - width * 0.5);
    box.top = RoundHalfDown(cy - height * 0.5);
    box.right = RoundHalfDown(width * 0.5 + cx);
    box.bottom = RoundHalfDown(height * 0.5 + cy);
    box.centre = {RoundHalfDown((box.right - box.left) * 0.5 + box.left),
                  RoundHalfDown((box.bottom - box.top) * 0.5 + box.top)};
    return box;
}

double ApplyMovementCurve(double moveCaraCurve, ScreenSize screen) {
    const double scaled = ScreenAreaFactor(screen) * moveCaraCurve;
    return 1.0 / (scaled * scaled);
}

int RelativeStep(int offsetPixels, int deadZonePixels, int maximumStep, int limitPixels) {
    const int distance = std::abs(offsetPixels);
    int step = 0;
    if (distance < deadZonePixels) {
        step = 0;
    } else if (distance > limitPixels) {
        step = maximumStep;
    } else if (limitPixels <= deadZonePixels) {
        // A dead zone as wide as the limit leaves no curve: on its edge the
        // head has not left it.
        step = 0;
    } else {
        const double span = limitPixels - deadZonePixels;
        const double beyond = distance - deadZonePixels;
        step = RoundHalfDown(maximumStep / (span * span) * (beyond * beyond));
    }
    return offsetPixels < 0 ? -step : step;
}

void HeadMotionMapper::startRun(const TrackingRun& run, ScreenSize screen) {
    calibratedCentre_ = run.headBoxCentre;
    headBox_ = ApplyHeadBox(settings_.speedGain, calibratedCentre_);
    headBoxSpeedGain_ = settings_.speedGain;
    curveFactor_ = ApplyMovementCurve(settings_.moveCaraCurve, screen);
    curveMoveCara_ = settings_.moveCaraCurve;
    if (run.reanchorPending) {
        reanchorPending_ = true;
    }
}

void HeadMotionMapper::FollowSettings(ScreenSize screen) {
    // The options menus change the speed and the curve while tracking runs.
    if (settings_.speedGain != headBoxSpeedGain_) {
        headBox_ = ApplyHeadBox(settings_.speedGain, calibratedCentre_);
        headBoxSpeedGain_ = settings_.speedGain;
    }
    if (settings_.moveCaraCurve != curveMoveCara_) {
        curveFactor_ = ApplyMovementCurve(settings_.moveCaraCurve, screen);
        curveMoveCara_ = settings_.moveCaraCurve;
    }
}

HeadMotion HeadMotionMapper::update(const MatchResult& match, const HeadMotionFrame& frame) {
    FollowSettings(frame.screen);
    return ComputePointerTarget({match.centroidX, match.centroidY, frame.pointer,
                                 frame.previousTarget, frame.previousTrackedX,
                                 frame.previousTrackedY, frame.screen, frame.range});
}

HeadMotion HeadMotionMapper::ComputePointerTarget(const PointerTargetInput& input) {
    if (reanchorPending_) {
        reanchorPending_ = false;
        anchorX_ = headBox_.centre.x - input.centroidX;
        anchorY_ = headBox_.centre.y - input.centroidY;
    }
    HeadMotion motion;
    motion.trackedX = input.centroidX + anchorX_;
    motion.trackedY = input.centroidY + anchorY_;
    motion.trackMotion = std::hypot(motion.trackedX - input.previousTrackedX,
                                    motion.trackedY - input.previousTrackedY);

    const double mappingWidth = input.range.mappingSize.width;
    const double mappingHeight = input.range.mappingSize.height;
    const int boxWidth = std::max(1, headBox_.right - headBox_.left);
    const int boxHeight = std::max(1, headBox_.bottom - headBox_.top);
    // Mirrored: the camera sees the user's right on the image's left.
    int sx =
        RoundHalfDown(mappingWidth - (motion.trackedX - headBox_.left) * mappingWidth / boxWidth);
    const int sy = RoundHalfDown((motion.trackedY - headBox_.top) * mappingHeight / boxHeight);

    const int width = input.screen.width;
    const int height = input.screen.height;
    ScreenPoint target{sx, sy};
    switch (settings_.pointerMoveMode) {
        case 3: {
            if (settings_.invertX) {
                sx = width - sx;
            }
            const double k = ScreenAreaFactor(input.screen);
            auto step = [&](int to, int from) {
                const double scaled = std::abs(to - from) * k;
                const int size = RoundHalfDown(scaled * scaled * curveFactor_);
                return to > from ? from + size : from - size;
            };
            target = {step(sx, input.previousTarget.x), step(sy, input.previousTarget.y)};
            break;
        }
        case 2: {
            const int maximumStep = width * kRelativeMaximumStepAtDesignWidth / kDesignScreenWidth;
            const int deadZone =
                TruncateTowardZero(width * settings_.moveCaraSpan / double{kDesignScreenWidth});
            const int stepX = RelativeStep(sx - width / 2, deadZone, maximumStep, height);
            const int stepY = RelativeStep(sy - height / 2, deadZone, maximumStep, height);
            target = {settings_.invertX ? input.pointer.x - stepX : input.pointer.x + stepX,
                      input.pointer.y + stepY};
            break;
        }
        default:
            break;
    }
    const ScreenRect& bounds = input.range.bounds;
    target.x = std::clamp(target.x, bounds.left, std::max(bounds.left, bounds.right));
    target.y = std::clamp(target.y, bounds.top, std::max(bounds.top, bounds.bottom));
    motion.target = target;

    motion.angleY =
        TruncateTowardZero(std::sin((motion.trackedY - headBox_.centre.y) * 90 / 60) * -5.0);
    motion.angleX =
        TruncateTowardZero(std::sin((motion.trackedX - headBox_.centre.x) * 90 / 70) * 5.0);
    return motion;
}

}  // namespace veltranix
