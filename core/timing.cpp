#include "core/timing.h"

#include <cmath>

namespace veltranix {

int RoundHalfDown(double value) {
    return static_cast<int>(std::ceil(value - 0.5));
}

int TruncateTowardZero(double value) {
    return static_cast<int>(value);
}

int ScaleDesignUnits(int designUnits, float sizeFactor) {
    return static_cast<int>(static_cast<float>(designUnits) * sizeFactor);
}

float SizeFactorForStep(int sizeStep) {
    switch (sizeStep) {
        case 1:
            return 1.2f;
        case 2:
            return 1.4f;
        default:
            return 1.0f;
    }
}

float SecondsWithinHour(const SystemTime& time) {
    return static_cast<float>(time.minute * 60 + time.second) +
           static_cast<float>(time.millisecond) / 1000.0f;
}

namespace {

float ElapsedSeconds(const SystemTime& start, const SystemTime& now) {
    float elapsed = SecondsWithinHour(now) - SecondsWithinHour(start);
    if (elapsed < 0.0f) {
        elapsed += 3600.0f;
    }
    return elapsed;
}

}  // namespace

bool ElapsedAtLeast(const SystemTime& start, const SystemTime& now, float thresholdSeconds) {
    return ElapsedSeconds(start, now) >= thresholdSeconds;
}

bool ElapsedMoreThan(const SystemTime& start, const SystemTime& now, float thresholdSeconds) {
    return ElapsedSeconds(start, now) > thresholdSeconds;
}

}  // namespace veltranix
