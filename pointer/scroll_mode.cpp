#include "pointer/scroll_mode.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace veltranix {

namespace {

constexpr double kDeadZoneEyeDistances = 0.15;
// A face found with no eye distance yet: a typical one at arm's length.
constexpr double kFallbackEyeDistancePixels = 60.0;
constexpr double kCeilingPerSecond = 40.0;
// A frame gap longer than this (a stall) scrolls no further than this.
constexpr long long kLongestStepMs = 200;
constexpr long long kFrameGapMs = 1000;

// The rate's scale, slow to fast: at twice the dead zone the head scrolls
// twice this many notches a second.
constexpr std::array<double, 3> kBasePerSecond{1.5, 3.0, 6.0};

// One axis: 0 in the dead zone, then the base rate times u (1 + u), where u
// counts dead zones beyond it.
double AxisRate(double offsetEyeDistances, double base) {
    const double beyond = std::abs(offsetEyeDistances) - kDeadZoneEyeDistances;
    if (beyond <= 0.0) {
        return 0.0;
    }
    const double u = beyond / kDeadZoneEyeDistances;
    return std::copysign(std::min(base * u * (1.0 + u), kCeilingPerSecond), offsetEyeDistances);
}

}  // namespace

ScrollSpeed ScrollSpeedFromStored(std::int32_t stored) {
    return static_cast<ScrollSpeed>(std::clamp(stored, 1, 3));
}

ScrollRate ScrollRateFor(double offsetXPixels, double offsetYPixels, double eyeDistancePixels,
                         ScrollSpeed speed, HorizontalSense sense) {
    const double eyes = eyeDistancePixels > 0.0 ? eyeDistancePixels : kFallbackEyeDistancePixels;
    const double base =
        kBasePerSecond[static_cast<std::size_t>(std::clamp(static_cast<int>(speed), 1, 3) - 1)];
    // Mirrored: the head turning to the user's right lowers the image's x.
    const double towardsRight = sense == HorizontalSense::Mirrored ? -offsetXPixels : offsetXPixels;
    return {AxisRate(offsetYPixels / eyes, base), AxisRate(towardsRight / eyes, base)};
}

ScrollMode::ScrollMode(PointerInputPort& input, const Settings& settings)
    : input_(input), settings_(settings) {}

void ScrollMode::Start() {
    active_ = true;
    originX_.reset();
    verticalDue_ = 0.0;
    horizontalDue_ = 0.0;
}

void ScrollMode::Stop() {
    active_ = false;
    originX_.reset();
}

bool ScrollMode::Follow(double headXPixels, double headYPixels, double eyeDistancePixels,
                        long long nowMs) {
    if (!active_) {
        return false;
    }
    if (!originX_ || nowMs - lastMs_ > kFrameGapMs) {
        // The first frame, or the first after frames stopped coming (a
        // pause): scrolling goes on from where the head is now.
        originX_ = headXPixels;
        originY_ = headYPixels;
        lastMs_ = nowMs;
        return false;
    }
    const ScrollRate rate =
        ScrollRateFor(headXPixels - *originX_, headYPixels - originY_, eyeDistancePixels,
                      ScrollSpeedFromStored(settings_.scrollSpeed),
                      settings_.invertX ? HorizontalSense::Inverted : HorizontalSense::Mirrored);
    const double seconds =
        static_cast<double>(std::clamp(nowMs - lastMs_, 0LL, kLongestStepMs)) / 1000.0;
    lastMs_ = nowMs;
    const auto advance = [&](double& due, double perSecond, WheelAxis axis) {
        // Back in the dead zone, or turned the other way: nothing owed is kept.
        if (perSecond == 0.0 || due * perSecond < 0.0) {
            due = 0.0;
        }
        due += perSecond * seconds;
        const int notches = static_cast<int>(std::trunc(due));
        if (notches != 0) {
            due -= notches;
            input_.sendWheel(axis, notches);
        }
    };
    advance(verticalDue_, rate.verticalPerSecond, WheelAxis::Vertical);
    advance(horizontalDue_, rate.horizontalPerSecond, WheelAxis::Horizontal);
    return rate.verticalPerSecond != 0.0 || rate.horizontalPerSecond != 0.0;
}

}  // namespace veltranix
