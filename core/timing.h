#pragma once

#include "core/clock.h"

namespace veltranix {

// Round to nearest; an exact half goes to the lower integer (2.5 -> 2, -2.5 -> -3).
int RoundHalfDown(double value);

// Truncate toward zero (2.7 -> 2, -2.7 -> -2).
int TruncateTowardZero(double value);

// Window geometry in design units scaled by the size factor, in single
// precision and truncated toward zero.
int ScaleDesignUnits(int designUnits, float sizeFactor);

// The size factor for a window size step: 0 -> 1.0, 1 -> 1.2, 2 -> 1.4; any
// other step (a hand-edited store) is the default size, 1.0.
float SizeFactorForStep(int sizeStep);

// Seconds within the hour: minute x 60 + second + millisecond / 1000, single precision.
float SecondsWithinHour(const SystemTime& time);

// True once `thresholdSeconds` have passed between `start` and `now`.
// The readings carry no hour, so a `start` later than `now` means the hour
// rolled over between them and the difference is taken modulo one hour.
bool ElapsedAtLeast(const SystemTime& start, const SystemTime& now, float thresholdSeconds);

// As ElapsedAtLeast, but strictly more than the threshold.
bool ElapsedMoreThan(const SystemTime& start, const SystemTime& now, float thresholdSeconds);

}  // namespace veltranix
