#include "pointer/click_type_menu.h"

#include <gtest/gtest.h>

#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::PointerRig;

// The centre of every design cell selects that cell's request at every size,
// with and without the macro column.
TEST(MenuGeometry, SizeAndCellsFollowTheSizeFactorAndTheMacroColumn) {
    const struct {
        float sizeFactor;
        int clicMacro;
        ScreenSize windowSize;
        std::size_t cellCount;
    } cases[] = {{1.0f, 1, {231, 251}, 13}, {1.2f, 1, {277, 301}, 13}, {1.4f, 1, {323, 351}, 13},
                 {1.0f, 0, {140, 251}, 7},  {1.2f, 0, {168, 301}, 7},  {1.4f, 0, {196, 351}, 7}};
    const struct {
        int x, y;
        std::int32_t request;
    } probes[] = {{35, 34, 3},    {105, 34, 5},   {35, 102, 2},  {105, 102, 0}, {35, 168, 10},
                  {105, 168, 4},  {70, 225, 6},   {185, 19, 20}, {185, 53, 21}, {185, 85, 22},
                  {185, 119, 23}, {185, 153, 24}, {185, 185, 25}};
    for (const auto& c : cases) {
        PointerRig rig;
        rig.settings.sizeFactor = c.sizeFactor;
        rig.settings.clicMacro = c.clicMacro;
        rig.menu.RebuildCells();
        EXPECT_EQ(rig.menu.WindowSize(), c.windowSize);
        ASSERT_EQ(rig.menu.Cells().size(), c.cellCount);
        for (std::size_t i = 0; i < c.cellCount; ++i) {
            rig.menu.setMenuClickRequest(-1);
            const ScreenPoint client{static_cast<int>(probes[i].x * c.sizeFactor),
                                     static_cast<int>(probes[i].y * c.sizeFactor)};
            rig.menu.OnPointerMovedInWindow(client);
            EXPECT_EQ(rig.menu.menuClickRequest(), probes[i].request)
                << client.x << "," << client.y << " at " << c.sizeFactor;
        }
    }
}

TEST(MenuCells, EdgesHitNothingAndLeavingKeepsTheLastRequest) {
    PointerRig rig;
    rig.menu.OnPointerMovedInWindow({35, 102});
    EXPECT_EQ(rig.menu.menuClickRequest(), 2);
    ASSERT_TRUE(rig.menu.highlight().has_value());
    EXPECT_EQ(*rig.menu.highlight(), (ScreenRect{1, 69, 68, 134}));

    for (ScreenPoint edge : {ScreenPoint{70, 100}, ScreenPoint{30, 68}, ScreenPoint{0, 100},
                             ScreenPoint{100, 200}, ScreenPoint{231, 20}}) {
        rig.menu.OnPointerMovedInWindow(edge);
        EXPECT_EQ(rig.menu.menuClickRequest(), 2);
        EXPECT_FALSE(rig.menu.highlight().has_value());
    }
    EXPECT_EQ(rig.menuWindow.repaints, 6);
    rig.settings.clicMacro = 0;  // without the macro column its cells do not exist
    rig.menu.OnPointerMovedInWindow({185, 19});
    EXPECT_FALSE(rig.menu.highlight().has_value());
}

// At size 1.0 the window is 231 x 251: it moves flush to the right edge once
// half its width would cross it, to the left edge once three quarters would,
// to the top once half its height would, to the bottom once three quarters
// would. At 1.4 it is 323 x 351: offsets 147, 50 scaled; 105, 36 when re-shown.
TEST(MenuPlacement, StaysOnTheScreen) {
    constexpr MenuOffsets kScaled = MenuOffsets::Scaled;
    const struct {
        ScreenPoint pointer;
        MenuOffsets offsets;
        float sizeFactor;
        ScreenPoint corner;
    } cases[] = {{{1280, 512}, kScaled, 1.0f, {1049, 476}},
                 {{1166, 512}, kScaled, 1.0f, {1049, 476}},
                 {{1165, 512}, kScaled, 1.0f, {1060, 476}},
                 {{171, 512}, kScaled, 1.0f, {0, 476}},
                 {{172, 512}, kScaled, 1.0f, {67, 476}},
                 {{640, 124}, kScaled, 1.0f, {535, 0}},
                 {{640, 125}, kScaled, 1.0f, {535, 89}},
                 {{640, 838}, kScaled, 1.0f, {535, 773}},
                 {{640, 837}, kScaled, 1.0f, {535, 801}},
                 {{0, 0}, kScaled, 1.0f, {0, 0}},
                 {{1280, 1024}, kScaled, 1.0f, {1049, 773}},
                 {{640, 512}, kScaled, 1.4f, {493, 462}},
                 {{640, 512}, MenuOffsets::Unscaled, 1.4f, {535, 476}},
                 {{1200, 1000}, MenuOffsets::Unscaled, 1.4f, {957, 673}}};
    for (const auto& c : cases) {
        PointerRig rig;  // 1280 x 1024, macro column shown
        rig.settings.sizeFactor = c.sizeFactor;
        EXPECT_EQ(rig.menu.PlacementFor(c.pointer, c.offsets), c.corner)
            << c.pointer.x << "," << c.pointer.y << " at " << c.sizeFactor;
    }
}

// The first creation places the menu with scaled offsets (also after a failed
// creation), a re-show with plain ones.
TEST(MenuWindow, CreatedWithScaledOffsetsThenReshownWithPlainOnes) {
    PointerRig rig;
    rig.settings.sizeFactor = 1.4f;
    rig.menu.RebuildCells();
    rig.menuWindow.canCreate = false;
    EXPECT_FALSE(rig.menu.Open({640, 512}));
    EXPECT_FALSE(rig.menu.visible());
    EXPECT_FALSE(rig.menu.created());
    rig.menuWindow.canCreate = true;
    ASSERT_TRUE(rig.menu.Open({640, 512}));
    EXPECT_EQ(rig.menu.savedClickPos(), (ScreenPoint{640, 512}));
    EXPECT_EQ(rig.menu.windowRect(), (ScreenRect{493, 462, 493 + 323, 462 + 351}));
    rig.menu.Hide();
    EXPECT_FALSE(rig.menu.visible());
    ASSERT_TRUE(rig.menu.Open({640, 512}));
    EXPECT_EQ(rig.menu.windowRect(), (ScreenRect{535, 476, 535 + 323, 476 + 351}));
    EXPECT_EQ(rig.menuWindow.hides, 1);
}

TEST(MenuWindow, HidesWhenThePointerGoesMoreThanOneAndAHalfDesignSizesAway) {
    struct Case {
        int clicMacro;
        ScreenPoint pointer;
        bool hidden;
    };
    // Opened at (640, 512): the corner is (535, 476) with the macro column and
    // (535, 476) without it too (the offsets do not depend on the width).
    for (const Case& c : {Case{1, {535 + 346, 476}, false}, Case{1, {535 + 347, 476}, true},
                          Case{1, {535 - 347, 476}, true}, Case{0, {535 + 210, 476}, false},
                          Case{0, {535 + 211, 476}, true}, Case{0, {535, 476 + 376}, false},
                          Case{0, {535, 476 + 377}, true}, Case{1, {535, 476 - 377}, true}}) {
        PointerRig rig;
        rig.settings.clicMacro = c.clicMacro;
        ASSERT_TRUE(rig.menu.Open({640, 512}));
        EXPECT_EQ(rig.menu.HideIfPointerFarAway(c.pointer), c.hidden)
            << c.pointer.x << "," << c.pointer.y;
        EXPECT_EQ(rig.menu.visible(), !c.hidden);
    }
}

TEST(MenuWindow, HighlightClearsWhenThePointerLeavesTheWindow) {
    PointerRig rig;
    ASSERT_TRUE(rig.menu.Open({640, 512}));
    rig.menu.OnPointerMovedInWindow({35, 34});
    rig.menu.ClearHighlightUnlessOver({600, 500});
    EXPECT_TRUE(rig.menu.highlight().has_value());
    rig.menu.ClearHighlightUnlessOver({535, 500});  // on the left edge: outside
    EXPECT_FALSE(rig.menu.highlight().has_value());
    EXPECT_EQ(rig.menu.menuClickRequest(), 3);
}

}  // namespace
}  // namespace veltranix
