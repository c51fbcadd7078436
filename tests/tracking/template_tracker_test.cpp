#include "tracking/template_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "tests/tracking/loop_harness.h"
#include "tracking/work_image.h"

namespace veltranix {
namespace {

bool Contains(const std::vector<DiscPoint>& disc, int dx, int dy) {
    return std::any_of(disc.begin(), disc.end(),
                       [&](const DiscPoint& p) { return p.dx == dx && p.dy == dy; });
}

TEST(NearDisc, FilledDiscCentredOneRightOneDown) {
    const std::vector<DiscPoint> disc = BuildNearDisc(25);
    // The position itself; at 0 degrees dx 1 to 26 (26 off the grid); with pi
    // as 3.1416, 25 cos 180 degrees is -24.99999..., truncated to -24 (row -23
    // at 270 degrees); sin 90 degrees truncates to 24; (20, 20) is outside.
    const std::tuple<int, int, bool> probes[] = {{0, 0, true},    {1, 1, true},    {25, 1, true},
                                                 {26, 1, false},  {-23, 1, true},  {-24, 1, false},
                                                 {1, 25, true},   {1, 26, false},  {1, -23, true},
                                                 {1, -24, false}, {20, 20, false}, {15, 15, true}};
    for (const auto& [dx, dy, inside] : probes) {
        EXPECT_EQ(Contains(disc, dx, dy), inside) << dx << "," << dy;
    }
    // Ordered by dx, then dy, without repeats.
    for (std::size_t i = 1; i < disc.size(); ++i) {
        const bool ordered = disc[i - 1].dx < disc[i].dx ||
                             (disc[i - 1].dx == disc[i].dx && disc[i - 1].dy < disc[i].dy);
        ASSERT_TRUE(ordered) << i;
    }
    // A filled disc of radius 25 covers about pi x 25 x 25 points.
    EXPECT_GT(disc.size(), 1800u);
    EXPECT_LT(disc.size(), 2100u);
}

// The best holds 0, half the range above it and more hold 255, a zero range
// (all costs equal) does not divide by zero.
TEST(Normalisation, HalfTheRangeIsFullAndAZeroRangeIsGuarded) {
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {100, 100, 300, 0},
        {200, 100, 300, 255},
        {300, 100, 300, 255},
        {INT32_MAX, 100, 300, 255},
        {500, 500, 500, 0}};
    for (const auto& [value, minimum, maximum, expected] : cases) {
        std::int32_t normalised = value;
        NormaliseMatchCost(normalised, minimum, maximum);
        EXPECT_EQ(normalised, expected) << value << " in " << minimum << ".." << maximum;
    }
}

WorkImage RenderImage(const testing::FaceSequence& faces, double offsetX, double offsetY,
                      std::uint32_t seed) {
    return testing::GreyImage(faces.renderBgr({offsetX, offsetY, 1.5, seed}));
}

const EyeLine kHomeEyes{272, 217, 359, 217};

TEST(TemplateBuild, GridSearchListAndMapFollowTheEyeLineAndOnAUniformImageTheFirstWins) {
    TemplateTracker tracker(BuildNearDisc(25));
    const WorkImage image(kFramePixels, 90);
    ASSERT_EQ(tracker.build(image, kHomeEyes), TemplateBuild::Built);
    // Columns at 257, 267, ... while <= 374: (87 + 30) / 10 + 1 = 12.
    EXPECT_EQ(tracker.gridColumns(), 12);
    EXPECT_EQ(tracker.templatePoints(), 72);
    EXPECT_EQ(tracker.templateOffsets()[7], 10 * 480 + 10);
    EXPECT_EQ(tracker.middleColumnOffset(), 6 * 4800);
    const std::vector<int>& search = tracker.searchOffsets();
    ASSERT_EQ(search.size(), 17061u);
    EXPECT_EQ(search[0], (272 - 85) * 480 + (217 - 65));
    EXPECT_EQ(search[1], (272 - 84) * 480 + (217 - 65)) << "x varies fastest";
    EXPECT_EQ(search.back(), (272 + 55) * 480 + (217 + 55));
    EXPECT_EQ(tracker.matchMap().size(), 307200u);
    EXPECT_EQ(tracker.matchMap()[0], INT32_MAX);
    // On the uniform image the first candidate wins.
    for (const bool plain : {true, false}) {
        const MatchResult result = plain ? tracker.matchPlain(image) : tracker.match(image);
        EXPECT_EQ(result.bestPosition, tracker.searchOffsets()[0] + tracker.middleColumnOffset());
        EXPECT_FLOAT_EQ(result.cost, 0.0f);
        EXPECT_EQ(tracker.matchMap()[static_cast<std::size_t>(result.bestPosition)], 0);
        // Every written cost is 0, so the centroid is that of the disc part
        // that lies on written entries.
        EXPECT_TRUE(std::isfinite(result.centroidX));
    }
}

TEST(TemplateBuild, HandPlacedEyesNearTheEdgeClipTheSearchOrAreRefused) {
    TemplateTracker tracker(BuildNearDisc(25));
    const WorkImage image(kFramePixels, 90);
    ASSERT_EQ(tracker.build(image, {30, 40, 110, 40}), TemplateBuild::Built);
    const int spanX = (tracker.gridColumns() - 1) * 10;
    for (const int index : tracker.searchOffsets()) {
        const int x = index / 480;
        const int y = index % 480;
        ASSERT_GE(x, 0);
        ASSERT_GE(y, 0);
        ASSERT_LT(x + spanX, 640);
        ASSERT_LT(y + 50, 480);
    }
    EXPECT_LT(tracker.searchOffsets().size(), 17061u);
    tracker.match(image);

    EXPECT_EQ(tracker.build(image, {10, 200, 100, 200}), TemplateBuild::OutsideImage);
    EXPECT_EQ(tracker.build(image, {300, 460, 380, 460}), TemplateBuild::OutsideImage);
    EXPECT_FALSE(tracker.built());
}

TEST(TemplateMatch, WithoutATemplateNothingMatches) {
    // Never built (the match wrote through an empty buffer) and released (the
    // cost was NaN, which both lost-face tests took for a tracked face).
    TemplateTracker tracker(BuildNearDisc(25));
    const WorkImage image(kFramePixels, 90);
    EXPECT_TRUE(std::isinf(tracker.match(image).cost));
    ASSERT_EQ(tracker.build(image, kHomeEyes), TemplateBuild::Built);
    tracker.release();
    EXPECT_TRUE(std::isinf(tracker.match(image).cost));
    EXPECT_TRUE(std::isinf(tracker.matchPlain(image).cost));
}

// Black and white at random: every template point differs by 0 or 255.
WorkImage BinaryNoise(std::uint32_t seed) {
    WorkImage image(kFramePixels);
    for (std::uint8_t& pixel : image) {
        seed = seed * 1664525u + 1013904223u;
        pixel = (seed >> 24) & 1 ? 255 : 0;
    }
    return image;
}

WorkImage Inverted(WorkImage image) {
    for (std::uint8_t& pixel : image) {
        pixel = static_cast<std::uint8_t>(255 - pixel);
    }
    return image;
}

TEST(TemplateMatch, VectorisedMatchIsBitIdenticalToThePlainSum) {
    const testing::FaceSequence faces;
    const WorkImage noise = BinaryNoise(5);
    struct Case {
        const char* name;
        EyeLine eyes;
        WorkImage templateImage;
        std::vector<WorkImage> images;
    };
    const Case cases[] = {
        {"the face, moved",
         kHomeEyes,
         RenderImage(faces, 0.0, 0.0, 1),
         {RenderImage(faces, 0.0, 0.0, 9), RenderImage(faces, 13.5, -7.25, 9),
          RenderImage(faces, -58.0, 41.0, 9), RenderImage(faces, 200.0, 0.0, 9)}},
        // 42 columns of 6 points, the most whose costs fit sixteen bits: up
        // to 252 x 255 on the inverted noise.
        {"252 points", {100, 200, 480, 200}, noise, {Inverted(noise), BinaryNoise(6)}},
        // 270 points: sums beyond sixteen bits.
        {"270 points", {100, 200, 510, 200}, noise, {Inverted(noise), BinaryNoise(7)}},
        // At the top edge the window keeps 61 and 65 of its 121 rows.
        {"61 rows", {200, 5, 280, 5}, noise, {BinaryNoise(8)}},
        {"65 rows", {200, 9, 280, 9}, noise, {BinaryNoise(8)}},
    };
    for (const Case& c : cases) {
        TemplateTracker plain(BuildNearDisc(25));
        TemplateTracker fast(BuildNearDisc(25));
        ASSERT_EQ(plain.build(c.templateImage, c.eyes), TemplateBuild::Built) << c.name;
        ASSERT_EQ(fast.build(c.templateImage, c.eyes), TemplateBuild::Built) << c.name;
        for (const WorkImage& image : c.images) {
            const MatchResult a = plain.matchPlain(image);
            const MatchResult b = fast.match(image);
            EXPECT_EQ(std::tie(a.bestPosition, a.cost, a.centroidX, a.centroidY),
                      std::tie(b.bestPosition, b.cost, b.centroidX, b.centroidY))
                << c.name;
            EXPECT_EQ(plain.matchMap(), fast.matchMap()) << c.name;
        }
    }
}

TEST(TemplateMatch, CentroidFollowsAKnownTranslationAcrossTheSearchWindow) {
    const testing::FaceSequence faces;
    TemplateTracker tracker(BuildNearDisc(25));
    ASSERT_EQ(tracker.build(RenderImage(faces, 0.0, 0.0, 1), kHomeEyes), TemplateBuild::Built);
    const MatchResult home = tracker.match(RenderImage(faces, 0.0, 0.0, 2));
    // One path through the whole search window, every frame matched by the
    // same tracker so that what earlier frames left in the map takes part.
    std::uint32_t seed = 3;
    const std::pair<double, double> path[] = {
        {20.0, 0.0},   {40.0, 10.0}, {60.0, 25.0},   {60.0, 60.0}, {30.0, 60.0},
        {-10.5, 35.5}, {-60.0, 0.0}, {-60.0, -60.0}, {0.0, -60.0}, {2.25, -1.75}};
    for (const auto& [dx, dy] : path) {
        const MatchResult result = tracker.match(RenderImage(faces, dx, dy, seed++));
        EXPECT_NEAR(result.centroidX - home.centroidX, dx, 2.0) << dx << "," << dy;
        EXPECT_NEAR(result.centroidY - home.centroidY, dy, 2.0) << dx << "," << dy;
        EXPECT_LT(result.cost, 12.0f) << dx << "," << dy;
    }
}

}  // namespace
}  // namespace veltranix
