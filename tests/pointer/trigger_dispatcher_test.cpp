#include "pointer/trigger_dispatcher.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pointer/click_codes.h"
#include "tests/pointer/pointer_rig.h"

namespace veltranix {
namespace {

using testing::PointerRig;
using Events = std::vector<std::string>;

const Events kNone{};
const Events kLeft{"press Left", "release Left"};
const Events kRight{"press Right", "release Right"};
const Events kDouble{"press Left", "release Left", "press Left", "release Left"};
const Events kMiddleClick{"press Middle", "release Middle"};

// One trigger's situation: the windows, keyboards and player state, and the
// click-type menu opened at (640, 512) (corner (535, 476), 231 x 201) with
// a chosen cell when `menuRequest` is set.
struct RuleCase {
    const char* name;
    int kind;
    Events buttons;
    OpenWindows windows{};
    KeyboardCooperation keyboards{};
    OwnWindowAtPoint windowAt = OwnWindowAtPoint::None;
    bool macroPlaying = false;
    bool shellError = false;
    int moveMode = 2;
    std::optional<std::int32_t> menuRequest;
    ScreenPoint pointer{640, 512};
};

class OnDwellTriggerRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(OnDwellTriggerRules, FirstMatchingRuleDecidesAndEveryExitResets) {
    const RuleCase& c = GetParam();
    PointerRig rig;
    rig.openWindows = c.windows;
    rig.keyboards = c.keyboards;
    rig.windowAtPoint.window = c.windowAt;
    rig.macros.playing = c.macroPlaying;
    rig.macros.shellError = c.shellError;
    rig.settings.pointerMoveMode = c.moveMode;
    if (c.menuRequest) {
        ASSERT_TRUE(rig.menu.Open({640, 512}));
        rig.menu.setMenuClickRequest(*c.menuRequest);
    }
    rig.desktop.pointer = c.pointer;
    rig.triggers = {true, true, true, c.kind};

    rig.dispatcher.OnDwellTrigger(c.kind, rig.triggers);

    EXPECT_EQ(rig.input.Buttons(), c.buttons);
    EXPECT_FALSE(rig.triggers.eyesClosedGesture);
    EXPECT_FALSE(rig.triggers.mouthOpenGesture);
    EXPECT_FALSE(rig.triggers.clickPending);
    EXPECT_TRUE(rig.dwell.postClickPauseRequested());
}

using click_kind::kDrag;
using click_kind::kMenu;
using click_request::kMiddle;
constexpr int kRightKind = click_kind::kRight;
constexpr ScreenRect kAroundPointer{600, 500, 700, 600};

INSTANTIATE_TEST_SUITE_P(
    InOrder, OnDwellTriggerRules,
    ::testing::Values(
        RuleCase{.name = "MacroPlayingNoClick",
                 .kind = kRightKind,
                 .buttons = kNone,
                 .macroPlaying = true,
                 .moveMode = 1},
        RuleCase{.name = "MacroShellErrorDismissedByLeftClick",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .macroPlaying = true,
                 .shellError = true},
        RuleCase{.name = "MouseModeLeftClick",
                 .kind = click_kind::kDouble,
                 .buttons = kLeft,
                 .keyboards = {{{0, 0, 1280, 1024}, true}},
                 .moveMode = 1},
        RuleCase{.name = "MenuShownOverOptionsClicksTheKind",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.webcamOptions = true},
                 .menuRequest = kMiddle},
        RuleCase{.name = "MenuShownOptionsIgnoredWhenMainWindowHidden",
                 .kind = kRightKind,
                 .buttons = kMiddleClick,
                 .windows = {.webcamOptions = true, .mainWindowHiddenByUser = true},
                 .menuRequest = kMiddle},
        RuleCase{.name = "MenuShownWarningDoesNotCount",
                 .kind = kRightKind,
                 .buttons = kMiddleClick,
                 .windows = {.warning = true, .macroEditor = true},
                 .menuRequest = kMiddle},
        RuleCase{.name = "MenuShownPointerInsideClicksTheHoveredCell",
                 .kind = kRightKind,
                 .buttons = kDouble,
                 .menuRequest = click_request::kDouble,
                 .pointer = {536, 477}},
        RuleCase{.name = "MenuShownPointerOnTheEdgeIsOutside",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .menuRequest = click_request::kDouble,
                 .pointer = {535, 500}},
        RuleCase{.name = "KeyboardAsksForPlainClick",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .keyboards = {.keyboard = {.plainClickRequested = true}}},
        RuleCase{.name = "MacroKeyboardAsksForPlainClick",
                 .kind = kMenu,
                 .buttons = kLeft,
                 .keyboards = {.macroKeyboard = {.plainClickRequested = true}}},
        RuleCase{.name = "RestartCountdownShown",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .windows = {.restartCountdown = true}},
        RuleCase{.name = "NotificationMenuShown",
                 .kind = kMenu,
                 .buttons = kLeft,
                 .windows = {.notificationMenu = true}},
        RuleCase{.name = "OptionsIgnoredWhileMainWindowHidden",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.about = true, .mainWindowHiddenByUser = true}},
        RuleCase{.name = "WarningAloneDoesNotMakePlainClicks",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.warning = true}},
        RuleCase{.name = "PointerOverMacroEditor",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .windowAt = OwnWindowAtPoint::MacroEditor},
        RuleCase{.name = "PointerOverProfileNameDialog",
                 .kind = click_kind::kDouble,
                 .buttons = kLeft,
                 .windowAt = OwnWindowAtPoint::ProfileNameDialog},
        RuleCase{
            .name = "InsideShownProfileNameDialog",
            .kind = kRightKind,
            .buttons = kLeft,
            .windows = {.profileNameDialogShown = true, .profileNameDialogRect = kAroundPointer}},
        RuleCase{.name = "OnTheEdgeOfTheProfileNameDialog",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.profileNameDialogShown = true,
                             .profileNameDialogRect = {640, 500, 700, 600}}},
        RuleCase{.name = "InsideForegroundMacroEditor",
                 .kind = kRightKind,
                 .buttons = kLeft,
                 .windows = {.macroEditor = true,
                             .macroEditorRect = {0, 0, 1000, 1000},
                             .macroEditorForegroundAtLastPaint = true}},
        RuleCase{.name = "MacroEditorNotForeground",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.macroEditor = true, .macroEditorRect = {0, 0, 1000, 1000}}},
        RuleCase{.name = "MacroEditorWhileProfileDialogShownElsewhere",
                 .kind = kRightKind,
                 .buttons = kRight,
                 .windows = {.macroEditor = true,
                             .profileNameDialogShown = true,
                             .profileNameDialogRect = {0, 0, 10, 10},
                             .macroEditorRect = {0, 0, 1000, 1000},
                             .macroEditorForegroundAtLastPaint = true}},
        RuleCase{.name = "InsidePresentKeyboard",
                 .kind = click_kind::kMiddle,
                 .buttons = kLeft,
                 .keyboards = {.keyboard = {kAroundPointer, true}}},
        RuleCase{.name = "InsidePresentMacroKeyboard",
                 .kind = click_kind::kMiddle,
                 .buttons = kLeft,
                 .keyboards = {.macroKeyboard = {kAroundPointer, true}}},
        RuleCase{.name = "BothKeyboardsPresentPointerInTheMacroKeyboard",
                 .kind = click_kind::kMiddle,
                 .buttons = kLeft,
                 .keyboards = {{{0, 0, 100, 100}, true}, {kAroundPointer, true}}},
        RuleCase{.name = "BothKeyboardsPresentPointerInNeither",
                 .kind = click_kind::kMiddle,
                 .buttons = kMiddleClick,
                 .keyboards = {{{0, 0, 100, 100}, true}, {{700, 600, 800, 700}, true}}},
        RuleCase{.name = "InsideAbsentKeyboard",
                 .kind = click_kind::kMiddle,
                 .buttons = kMiddleClick,
                 .keyboards = {{kAroundPointer, false}, {{0, 0, 10, 10}, true}}},
        RuleCase{.name = "OnTheKeyboardsEdge",
                 .kind = click_kind::kMiddle,
                 .buttons = kMiddleClick,
                 .keyboards = {.keyboard = {{600, 512, 700, 600}, true}}},
        RuleCase{.name = "BoundKindRight", .kind = kRightKind, .buttons = kRight},
        RuleCase{.name = "BoundKindDrag", .kind = kDrag, .buttons = Events{"press Left"}},
        RuleCase{.name = "MenuKindOpensTheMenu", .kind = kMenu, .buttons = kNone}),
    [](const ::testing::TestParamInfo<RuleCase>& rule) { return std::string(rule.param.name); });

TEST(OnDwellTrigger, PlainClickRequestIsUsedOnce) {
    PointerRig rig;
    rig.keyboards.keyboard.plainClickRequested = true;
    rig.keyboards.macroKeyboard.plainClickRequested = true;
    rig.dispatcher.OnDwellTrigger(click_kind::kRight, rig.triggers);
    rig.dispatcher.OnDwellTrigger(click_kind::kRight, rig.triggers);
    EXPECT_EQ(rig.input.Buttons(),
              (Events{"press Left", "release Left", "press Right", "release Right"}));
}

TEST(OnDwellTrigger, OutsideTheMenuALeftClickLandsWhereItOpenedAndResetsTheChoice) {
    PointerRig rig;
    rig.desktop.pointer = {640, 512};
    rig.dispatcher.OnDwellTrigger(click_kind::kMenu, rig.triggers);
    rig.menu.setMenuClickRequest(click_request::kRight);
    rig.desktop.pointer = {100, 100};
    rig.journal.clear();

    rig.dispatcher.OnDwellTrigger(click_kind::kMenu, rig.triggers);

    EXPECT_EQ(rig.menu.menuClickRequest(), click_request::kLeft);
    EXPECT_EQ(rig.journal, (Events{"menu hide", "moveTo 640,512", "sleep 2", "press Left",
                                   "release Left", "sound click.wav"}));
}

TEST(OnDwellTrigger, MenuKindWhileDraggingDropsWhereThePointerIs) {
    PointerRig rig;
    rig.clicks.ToggleDrag();
    rig.desktop.pointer = {900, 100};
    rig.dispatcher.OnDwellTrigger(click_kind::kMenu, rig.triggers);
    EXPECT_FALSE(rig.clicks.dragActive());
    EXPECT_FALSE(rig.menu.visible());
    EXPECT_EQ(rig.menu.savedClickPos(), (ScreenPoint{900, 100}));
    EXPECT_EQ(rig.input.Buttons(), (Events{"press Left", "release Left"}));
}

TEST(Dispatch, EyesBeforeMouthBeforeDwell) {
    struct Case {
        TriggerState triggers;
        GestureSource source;
    };
    for (const Case& c : {Case{{true, true, true, 2}, GestureSource::Eye},
                          Case{{false, true, true, 2}, GestureSource::Mouth},
                          Case{{false, false, true, 2}, GestureSource::Dwell},
                          Case{{false, false, false, 2}, GestureSource::None}}) {
        PointerRig rig;
        TriggerState triggers = c.triggers;
        EXPECT_EQ(rig.dispatcher.Dispatch(triggers), c.source);
        EXPECT_EQ(rig.clicks.clickCount(), c.source == GestureSource::None ? 0 : 1);
        EXPECT_EQ(rig.dwell.postClickPauseRequested(), c.source != GestureSource::None);
    }
}

}  // namespace
}  // namespace veltranix
