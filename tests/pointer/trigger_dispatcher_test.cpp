#include "pointer/trigger_dispatcher.h"

#include <gtest/gtest.h>

#include <functional>
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
const Events kMiddle{"press Middle", "release Middle"};

struct RuleCase {
    const char* name;
    std::function<void(PointerRig&)> setUp;
    int clickKindIndex;
    Events buttons;
};

void OpenMenuAt(PointerRig& rig, ScreenPoint point) {
    ASSERT_TRUE(rig.menu.Open(point));  // corner (535, 476), 231 x 201
}

class OnDwellTriggerRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(OnDwellTriggerRules, FirstMatchingRuleDecidesAndEveryExitResets) {
    PointerRig rig;
    rig.desktop.pointer = {640, 512};
    GetParam().setUp(rig);
    rig.triggers = {true, true, true, GetParam().clickKindIndex};

    rig.dispatcher.OnDwellTrigger(GetParam().clickKindIndex, rig.triggers);

    EXPECT_EQ(rig.input.Buttons(), GetParam().buttons);
    EXPECT_FALSE(rig.triggers.eyesClosedGesture);
    EXPECT_FALSE(rig.triggers.mouthOpenGesture);
    EXPECT_FALSE(rig.triggers.clickPending);
    EXPECT_TRUE(rig.dwell.postClickPauseRequested());
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, OnDwellTriggerRules,
    ::testing::Values(
        RuleCase{"MacroPlayingNoClick",
                 [](PointerRig& rig) {
                     rig.macros.playing = true;
                     rig.settings.pointerMoveMode = 1;
                 },
                 click_kind::kRight, kNone},
        RuleCase{"MacroShellErrorDismissedByLeftClick",
                 [](PointerRig& rig) {
                     rig.macros.playing = true;
                     rig.macros.shellError = true;
                 },
                 click_kind::kRight, kLeft},
        RuleCase{"MouseModeLeftClick",
                 [](PointerRig& rig) {
                     rig.settings.pointerMoveMode = 1;
                     rig.keyboards.keyboard.present = true;
                     rig.keyboards.keyboard.rect = {0, 0, 1280, 1024};
                 },
                 click_kind::kDouble, kLeft},
        RuleCase{"MenuShownOverOptionsClicksTheKind",
                 [](PointerRig& rig) {
                     OpenMenuAt(rig, {640, 512});
                     rig.menu.setMenuClickRequest(click_request::kMiddle);
                     rig.openWindows.webcamOptions = true;
                 },
                 click_kind::kRight, kRight},
        RuleCase{"MenuShownOptionsIgnoredWhenMainWindowHidden",
                 [](PointerRig& rig) {
                     OpenMenuAt(rig, {640, 512});
                     rig.menu.setMenuClickRequest(click_request::kMiddle);
                     rig.openWindows.webcamOptions = true;
                     rig.openWindows.mainWindowHiddenByUser = true;
                 },
                 click_kind::kRight, kMiddle},
        RuleCase{"MenuShownWarningDoesNotCount",
                 [](PointerRig& rig) {
                     OpenMenuAt(rig, {640, 512});
                     rig.menu.setMenuClickRequest(click_request::kMiddle);
                     rig.openWindows.warning = true;
                     rig.openWindows.macroEditor = true;
                 },
                 click_kind::kRight, kMiddle},
        RuleCase{"MenuShownPointerInsideClicksTheHoveredCell",
                 [](PointerRig& rig) {
                     OpenMenuAt(rig, {640, 512});
                     rig.menu.setMenuClickRequest(click_request::kDouble);
                     rig.desktop.pointer = {536, 477};
                 },
                 click_kind::kRight, kDouble},
        RuleCase{"MenuShownPointerOnTheEdgeIsOutside",
                 [](PointerRig& rig) {
                     OpenMenuAt(rig, {640, 512});
                     rig.menu.setMenuClickRequest(click_request::kDouble);
                     rig.desktop.pointer = {535, 500};
                 },
                 click_kind::kRight, kLeft},
        RuleCase{"KeyboardAsksForPlainClick",
                 [](PointerRig& rig) { rig.keyboards.keyboard.plainClickRequested = true; },
                 click_kind::kRight, kLeft},
        RuleCase{"MacroKeyboardAsksForPlainClick",
                 [](PointerRig& rig) { rig.keyboards.macroKeyboard.plainClickRequested = true; },
                 click_kind::kMenu, kLeft},
        RuleCase{"RestartCountdownShown",
                 [](PointerRig& rig) { rig.openWindows.restartCountdown = true; },
                 click_kind::kRight, kLeft},
        RuleCase{"NotificationMenuShown",
                 [](PointerRig& rig) { rig.openWindows.notificationMenu = true; },
                 click_kind::kMenu, kLeft},
        RuleCase{"OptionsIgnoredWhileMainWindowHidden",
                 [](PointerRig& rig) {
                     rig.openWindows.about = true;
                     rig.openWindows.mainWindowHiddenByUser = true;
                 },
                 click_kind::kRight, kRight},
        RuleCase{"WarningAloneDoesNotMakePlainClicks",
                 [](PointerRig& rig) { rig.openWindows.warning = true; }, click_kind::kRight,
                 kRight},
        RuleCase{"PointerOverMacroEditor",
                 [](PointerRig& rig) { rig.windowAtPoint.window = OwnWindowAtPoint::MacroEditor; },
                 click_kind::kRight, kLeft},
        RuleCase{
            "PointerOverProfileNameDialog",
            [](PointerRig& rig) { rig.windowAtPoint.window = OwnWindowAtPoint::ProfileNameDialog; },
            click_kind::kDouble, kLeft},
        RuleCase{"InsideShownProfileNameDialog",
                 [](PointerRig& rig) {
                     rig.openWindows.profileNameDialogShown = true;
                     rig.openWindows.profileNameDialogRect = {600, 500, 700, 600};
                 },
                 click_kind::kRight, kLeft},
        RuleCase{"OnTheEdgeOfTheProfileNameDialog",
                 [](PointerRig& rig) {
                     rig.openWindows.profileNameDialogShown = true;
                     rig.openWindows.profileNameDialogRect = {640, 500, 700, 600};
                 },
                 click_kind::kRight, kRight},
        RuleCase{"InsideForegroundMacroEditor",
                 [](PointerRig& rig) {
                     rig.openWindows.macroEditor = true;
                     rig.openWindows.macroEditorForegroundAtLastPaint = true;
                     rig.openWindows.macroEditorRect = {0, 0, 1000, 1000};
                 },
                 click_kind::kRight, kLeft},
        RuleCase{"MacroEditorNotForeground",
                 [](PointerRig& rig) {
                     rig.openWindows.macroEditor = true;
                     rig.openWindows.macroEditorRect = {0, 0, 1000, 1000};
                 },
                 click_kind::kRight, kRight},
        RuleCase{"MacroEditorWhileProfileDialogShownElsewhere",
                 [](PointerRig& rig) {
                     rig.openWindows.macroEditor = true;
                     rig.openWindows.macroEditorForegroundAtLastPaint = true;
                     rig.openWindows.macroEditorRect = {0, 0, 1000, 1000};
                     rig.openWindows.profileNameDialogShown = true;
                     rig.openWindows.profileNameDialogRect = {0, 0, 10, 10};
                 },
                 click_kind::kRight, kRight},
        RuleCase{"InsidePresentKeyboard",
                 [](PointerRig& rig) {
                     rig.keyboards.keyboard = {{600, 500, 700, 600}, true, false};
                 },
                 click_kind::kMiddle, kLeft},
        RuleCase{"InsidePresentMacroKeyboard",
                 [](PointerRig& rig) {
                     rig.keyboards.macroKeyboard = {{600, 500, 700, 600}, true, false};
                 },
                 click_kind::kMiddle, kLeft},
        RuleCase{"BothKeyboardsPresentPointerInTheMacroKeyboard",
                 [](PointerRig& rig) {
                     rig.keyboards.keyboard = {{0, 0, 100, 100}, true, false};
                     rig.keyboards.macroKeyboard = {{600, 500, 700, 600}, true, false};
                 },
                 click_kind::kMiddle, kLeft},
        RuleCase{"BothKeyboardsPresentPointerInNeither",
                 [](PointerRig& rig) {
                     rig.keyboards.keyboard = {{0, 0, 100, 100}, true, false};
                     rig.keyboards.macroKeyboard = {{700, 600, 800, 700}, true, false};
                 },
                 click_kind::kMiddle, kMiddle},
        RuleCase{"InsideAbsentKeyboard",
                 [](PointerRig& rig) {
                     rig.keyboards.keyboard = {{600, 500, 700, 600}, false, false};
                     rig.keyboards.macroKeyboard = {{0, 0, 10, 10}, true, false};
                 },
                 click_kind::kMiddle, kMiddle},
        RuleCase{"OnTheKeyboardsEdge",
                 [](PointerRig& rig) {
                     rig.keyboards.keyboard = {{600, 512, 700, 600}, true, false};
                 },
                 click_kind::kMiddle, kMiddle},
        RuleCase{"BoundKindRight", [](PointerRig&) {}, click_kind::kRight, kRight},
        RuleCase{"BoundKindDrag", [](PointerRig&) {}, click_kind::kDrag, Events{"press Left"}},
        RuleCase{"MenuKindOpensTheMenu", [](PointerRig&) {}, click_kind::kMenu, kNone}),
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
