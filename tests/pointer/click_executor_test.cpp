#include "pointer/click_executor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pointer/click_codes.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::PointerRig;
using Events = std::vector<std::string>;

struct ButtonCase {
    std::int32_t clickRequest;
    bool swapped;
    Events buttons;
};

class ClickButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ClickButtons, SynthesiseTheRequestCountAndSound) {
    const ButtonCase& param = GetParam();
    PointerRig rig;
    rig.desktop.swapped = param.swapped;

    rig.clicks.ExecuteClick(param.clickRequest);

    EXPECT_EQ(rig.input.Buttons(), param.buttons);
    EXPECT_EQ(rig.clicks.clickCount(), 1);
    ASSERT_EQ(rig.sound.played.size(), 1u);
    EXPECT_EQ(rig.sound.played[0].file, rig.folder.root / "so" / "click.wav");
    EXPECT_EQ(rig.sound.played[0].overlap, SoundOverlap::Interrupt);
    EXPECT_TRUE(rig.macros.slots.empty());
}

const Events kLeftClick{"press Left", "release Left"};
const Events kRightClick{"press Right", "release Right"};
const Events kMiddleClick{"press Middle", "release Middle"};

INSTANTIATE_TEST_SUITE_P(
    EveryCode, ClickButtons,
    ::testing::Values(
        ButtonCase{0, false, kLeftClick}, ButtonCase{1, false, kLeftClick},
        ButtonCase{2, false, kRightClick},
        ButtonCase{3, false, {"press Left", "release Left", "press Left", "release Left"}},
        ButtonCase{4, false, kMiddleClick}, ButtonCase{5, false, {"press Left"}},
        // Swapped buttons: the primary is the right button, middle is never swapped.
        ButtonCase{0, true, kRightClick}, ButtonCase{1, true, kRightClick},
        ButtonCase{2, true, kLeftClick},
        ButtonCase{3, true, {"press Right", "release Right", "press Right", "release Right"}},
        ButtonCase{4, true, kMiddleClick}, ButtonCase{5, true, {"press Right"}},
        // Unknown codes synthesise nothing but still count and sound.
        ButtonCase{7, false, {}}, ButtonCase{30, false, {}}, ButtonCase{-1, false, {}},
        ButtonCase{19, false, {}}, ButtonCase{26, false, {}}));

TEST(ClickExecution, MacroCodesStartTheirSlotWithoutPointerInput) {
    PointerRig rig;
    for (std::int32_t code = click_request::kFirstMacro; code <= click_request::kLastMacro;
         ++code) {
        rig.clicks.ExecuteClick(code);
    }
    EXPECT_EQ(rig.macros.slots, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(rig.input.events.empty());
    EXPECT_EQ(rig.clicks.clickCount(), 6);
    EXPECT_EQ(rig.sound.played.size(), 6u);
}

TEST(ClickExecution, SoundOnlyWhenTheSoundSettingIsExactlyOne) {
    for (int so : {0, 2, -1}) {
        PointerRig rig;
        rig.settings.so = so;
        for (std::int32_t code : {0, 2, 3, 4, 5, 7, 20}) {
            rig.clicks.ExecuteClick(code);
        }
        EXPECT_TRUE(rig.sound.played.empty()) << "so = " << so;
        EXPECT_EQ(rig.clicks.clickCount(), 7);
    }
}

TEST(ClickExecution, DragPressesThenReleasesTheSameButtonAndBothCount) {
    PointerRig rig;
    rig.clicks.ExecuteClick(click_request::kDragToggle);
    EXPECT_TRUE(rig.clicks.dragActive());
    rig.desktop.swapped = true;  // the swap changing meanwhile does not matter
    rig.clicks.ExecuteClick(click_request::kDragToggle);
    EXPECT_FALSE(rig.clicks.dragActive());
    EXPECT_EQ(rig.input.Buttons(), (Events{"press Left", "release Left"}));
    EXPECT_EQ(rig.clicks.clickCount(), 2);
    EXPECT_EQ(rig.sound.played.size(), 2u);
}

// The pointer held still meanwhile is the tracking sequences' timed-press case.
TEST(ClickExecution, TimedPressHoldsThePrimaryButtonForTheDwellTimeWithoutBlocking) {
    PointerRig rig;
    rig.settings.dwellSeconds = 5;
    rig.clicks.ExecuteClick(click_request::kTimedPress);
    EXPECT_TRUE(rig.clicks.timedPressHeld());
    EXPECT_EQ(rig.journal, (Events{"install cur5.ani", "press Left"}));
    EXPECT_EQ(rig.clicks.clickCount(), 0);

    rig.clock.advanceMs(5000);
    rig.clicks.AdvanceTimedPress();
    EXPECT_FALSE(rig.clicks.timedPressHeld());
    EXPECT_EQ(rig.journal, (Events{"install cur5.ani", "press Left", "release Left", "hand",
                                   "sound click.wav"}));
    EXPECT_EQ(rig.clicks.clickCount(), 1);
    // The clock stays as the system cursor until the pointer moves.
    EXPECT_TRUE(rig.cursorFeedback.clockShown());

    rig.clock.advanceMs(10000);
    rig.clicks.AdvanceTimedPress();
    EXPECT_EQ(rig.input.Buttons().size(), 2u);
}

// The dwell time is clamped to 2..8 s for the cursor and the hold, which
// also spans the hour's turn.
TEST(ClickExecution, TimedPressHoldsTheClampedDwellTimeAcrossTheHour) {
    struct Case {
        int dwellSeconds;
        const char* cursorFile;
        int holdMs;
    };
    for (const Case& c :
         {Case{0, "cur2.ani", 2000}, Case{1, "cur2.ani", 2000}, Case{2, "cur2.ani", 2000},
          Case{5, "cur5.ani", 5000}, Case{8, "cur8.ani", 8000}, Case{9, "cur8.ani", 8000},
          Case{-4, "cur2.ani", 2000}}) {
        PointerRig rig;
        rig.settings.dwellSeconds = c.dwellSeconds;
        rig.clock.set({10, 59, 59, 500});
        rig.clicks.ExecuteClick(click_request::kTimedPress);
        ASSERT_EQ(rig.cursors.installedFiles.size(), 1u);
        EXPECT_EQ(rig.cursors.installedFiles[0], rig.folder.root / "cursors" / c.cursorFile);
        rig.clock.advanceMs(c.holdMs - 1);
        rig.clicks.AdvanceTimedPress();
        EXPECT_TRUE(rig.clicks.timedPressHeld()) << c.dwellSeconds;
        rig.clock.advanceMs(1);
        rig.clicks.AdvanceTimedPress();
        EXPECT_FALSE(rig.clicks.timedPressHeld()) << c.dwellSeconds;
    }
}

TEST(ClickExecution, ShutdownReleasesHeldButtons) {
    PointerRig rig;
    rig.clicks.ExecuteClick(click_request::kDragToggle);
    rig.clicks.ExecuteClick(click_request::kTimedPress);  // holds the other button
    rig.desktop.swapped = true;
    rig.clicks.ReleaseHeldButtons();
    EXPECT_FALSE(rig.clicks.dragActive());
    EXPECT_FALSE(rig.clicks.timedPressHeld());
    EXPECT_EQ(rig.input.Buttons(),
              (Events{"press Left", "press Left", "release Left", "release Left"}));
}

// Past the last pixel the pointer lands on the monitor's edge, then nudges.
TEST(PointerPlacement, NudgesOutwardOnlyExactlyAtTheSideEdges) {
    const std::pair<int, Events> cases[] = {{0, {"moveTo 0,300", "moveBy -1,0"}},
                                            {1280, {"moveTo 1279,300", "moveBy 1,0"}},
                                            {1279, {"moveTo 1279,300"}},
                                            {1, {"moveTo 1,300"}},
                                            {640, {"moveTo 640,300"}}};
    for (const auto& [x, events] : cases) {
        PointerRig rig;
        rig.clicks.PlacePointer({x, 300});
        EXPECT_EQ(rig.input.events, events) << x;
    }
}

TEST(ClockCursor, RestoredOnlyWhenShown) {
    PointerRig rig;
    rig.cursorFeedback.RestoreSystemCursors();
    EXPECT_TRUE(rig.cursors.events.empty());

    rig.cursors.installSucceeds = false;  // a missing file leaves the cursors as they were
    rig.cursorFeedback.ShowClockCursor();
    rig.cursorFeedback.RestoreSystemCursors();
    EXPECT_EQ(rig.cursors.events, (Events{"install cur3.ani"}));

    rig.cursors.installSucceeds = true;
    rig.cursorFeedback.ShowClockCursor();
    rig.cursorFeedback.RestoreSystemCursors();
    rig.cursorFeedback.RestoreSystemCursors();
    EXPECT_EQ(rig.cursors.events, (Events{"install cur3.ani", "install cur3.ani", "restore"}));
}

}  // namespace
}  // namespace veltranix
