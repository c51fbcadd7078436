#include "core/timing.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

// Halves round down (toward minus infinity); truncation goes toward zero.
TEST(Rounding, HalfGoesToTheLowerIntegerAndTruncationTowardZero) {
    const struct {
        double value;
        int halfDown, truncated;
    } cases[] = {{2.5, 2, 2},          {-2.5, -3, -2}, {2.5000001, 3, 2}, {2.4999999, 2, 2},
                 {-2.4999999, -2, -2}, {0.5, 0, 0},    {-0.5, -1, 0},     {7.0, 7, 7},
                 {2.9, 3, 2},          {-2.9, -3, -2}, {-0.1, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfDown(c.value), c.halfDown) << c.value;
        EXPECT_EQ(TruncateTowardZero(c.value), c.truncated) << c.value;
    }
}

TEST(SizeFactor, StepsAndAnyOtherStepGivesTheDefaultSize) {
    // A hand-edited tamany of 3 or -1 must not leave the windows without a size.
    for (const auto& [step, factor] :
         {std::pair{0, 1.0f}, {1, 1.2f}, {2, 1.4f}, {3, 1.0f}, {-1, 1.0f}}) {
        EXPECT_FLOAT_EQ(SizeFactorForStep(step), factor) << step;
    }
}

TEST(SizeFactor, ScaledGeometryIsTruncatedInSinglePrecision) {
    // 5 x 1.4f is exactly 7.0f in single precision (6.99999... in double).
    EXPECT_EQ(ScaleDesignUnits(5, 1.4f), 7);
    EXPECT_EQ(ScaleDesignUnits(608, 1.2f), 729);
    EXPECT_EQ(ScaleDesignUnits(160, 1.2f), 192);
    EXPECT_EQ(ScaleDesignUnits(69, 1.4f), 96);
    EXPECT_EQ(ScaleDesignUnits(599, 1.0f), 599);
}

SystemTime At(int minute, int second, int millisecond) {
    return {10, minute, second, millisecond};
}

TEST(ElapsedTime, ThresholdIsInclusiveForAtLeastAndStrictForMoreThan) {
    EXPECT_FALSE(ElapsedAtLeast(At(1, 0, 0), At(1, 0, 699), 0.7f));
    EXPECT_TRUE(ElapsedAtLeast(At(1, 0, 0), At(1, 0, 700), 0.7f));
    EXPECT_TRUE(ElapsedAtLeast(At(1, 0, 0), At(1, 3, 0), 3.0f));
    EXPECT_FALSE(ElapsedMoreThan(At(1, 0, 0), At(1, 3, 0), 3.0f));
    EXPECT_TRUE(ElapsedMoreThan(At(1, 0, 0), At(1, 3, 1), 3.0f));
}

TEST(ElapsedTime, AcrossTheHourCountsTheRealDelay) {
    // 59:59.000 to 00:01.000 is two seconds, not an instant timeout.
    EXPECT_FALSE(ElapsedAtLeast(At(59, 59, 0), {11, 0, 1, 0}, 3.0f));
    EXPECT_TRUE(ElapsedAtLeast(At(59, 59, 0), {11, 0, 2, 0}, 3.0f));
    EXPECT_TRUE(ElapsedMoreThan(At(59, 30, 0), {11, 0, 0, 1}, 30.0f));
    EXPECT_FALSE(ElapsedMoreThan(At(59, 30, 0), {11, 0, 0, 0}, 30.0f));
}

TEST(ElapsedTime, HourFieldIsNotPartOfTheMeasure) {
    EXPECT_TRUE(ElapsedAtLeast({3, 10, 0, 0}, {4, 10, 1, 0}, 1.0f));
    EXPECT_FLOAT_EQ(SecondsWithinHour({23, 59, 59, 999}), 3599.999f);
}

}  // namespace
}  // namespace veltranix
