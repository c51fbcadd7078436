#include "pointer/scroll_mode.h"

#include <gtest/gtest.h>

#include <string>

#include "pointer/click_codes.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::PointerRig;
using Events = std::vector<std::string>;
constexpr double kEyes = 60.0;
constexpr auto kMirrored = HorizontalSense::Mirrored;
constexpr auto kInverted = HorizontalSense::Inverted;

// The head down scrolls down; sideways the page goes where the pointer
// would, through the camera's mirror or the user's inversion.
TEST(ScrollRate, DeadZoneThenTheHeadsDirectionUnderMirrorAndInversion) {
    const struct {
        double x, y;
        HorizontalSense sense;
        int vertical, horizontal;  // sign of each rate
    } cases[] = {{0, 0, kMirrored, 0, 0},    {5, -8, kMirrored, 0, 0},   {0, 20, kMirrored, 1, 0},
                 {0, -20, kInverted, -1, 0}, {-20, 0, kMirrored, 0, 1},  {-20, 0, kInverted, 0, -1},
                 {20, 20, kMirrored, 1, -1}, {20, -20, kInverted, -1, 1}};
    const auto sign = [](double v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        const ScrollRate rate = ScrollRateFor(c.x, c.y, kEyes, ScrollSpeed::Medium, c.sense);
        EXPECT_EQ(sign(rate.verticalPerSecond), c.vertical) << c.x << "," << c.y;
        EXPECT_EQ(sign(rate.horizontalPerSecond), c.horizontal) << c.x << "," << c.y;
    }
    const auto down = [](double pixels, ScrollSpeed speed = ScrollSpeed::Medium) {
        return ScrollRateFor(0, pixels, kEyes, speed, kMirrored).verticalPerSecond;
    };
    EXPECT_GT(down(30) - down(20), down(20) - down(10)) << "faster than the offset";
    EXPECT_GT(down(20, ScrollSpeed::Fast), down(20));
    EXPECT_EQ(down(600), down(1200)) << "a ceiling";
}

// Whole notches as they fall due, from where the head was on the first frame.
TEST(ScrollModeFrames, NotchesFromTheStartingPositionStopInTheDeadZoneAndAfterTheEnd) {
    PointerRig rig;
    ScrollMode& scroll = rig.actions.scroll;
    Events& events = rig.input.events;
    const auto follow = [&](double y, long long ms) { return scroll.Follow(300, y, kEyes, ms); };
    scroll.Start();
    EXPECT_FALSE(follow(400, 0)) << "the head's place when the mode began";
    long long ms = 0;
    while (ms < 1000) {
        EXPECT_TRUE(follow(425, ms += 40));
    }
    double notches = 0;
    for (const std::string& event : events) {
        ASSERT_TRUE(event.starts_with("wheel ")) << event;
        notches += std::stod(event.substr(6));
    }
    EXPECT_NEAR(notches,
                ScrollRateFor(0, 25, kEyes, ScrollSpeed::Medium, kMirrored).verticalPerSecond, 1.0);
    events.clear();
    follow(380, ms += 600);  // a late frame scrolls no more than 200 ms' worth
    EXPECT_EQ(events, (Events{"wheel -1"}));
    EXPECT_FALSE(follow(480, ms += 5000)) << "after a gap, the head's place is the start";
    scroll.Stop();
    EXPECT_FALSE(follow(520, ms += 40));
    EXPECT_EQ(events, (Events{"wheel -1"}));
}

// The scroll kind starts the mode (its mark on the cursor, the pointer left
// alone); the next trigger of any kind ends it without a click.
TEST(ScrollModeFrames, TheScrollKindStartsAndTheNextTriggerEndsWithoutAClick) {
    PointerRig rig;
    rig.dispatcher.OnDwellTrigger(click_kind::kScroll, rig.triggers);
    EXPECT_TRUE(rig.actions.scroll.active());
    rig.dwell.CheckStillness({10, 10}, 10.0);  // the head moves: the mark stays
    EXPECT_EQ(rig.cursors.events, (Events{"still scroll3.ani"}));
    rig.dispatcher.OnDwellTrigger(click_kind::kLeft, rig.triggers);
    EXPECT_FALSE(rig.actions.scroll.active());
    EXPECT_EQ(rig.input.Buttons(), Events{});
    EXPECT_EQ(rig.cursors.events.back(), "restore");
}

}  // namespace
}  // namespace veltranix
