#include "pointer/trigger_dispatcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pointer/click_codes.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::PointerRig;
using Events = std::vector<std::string>;

const Events kNone{};
const Events kLeft{"press Left", "release Left"};
const Events kRight{"press Right", "release Right"};
const Events kDouble{"press Left", "release Left", "press Left", "release Left"};
const Events kMiddle{"press Middle", "release Middle"};

namespace kind = click_kind;
namespace request = click_request;
using R = PointerRig;

struct RuleCase {
    const char* name;
    int clickKindIndex;
    Events buttons;
    std::function<void(R&)> setUp;
};

// The click-type menu opened at (640, 512), its corner at (535, 476), 231 x
// 251, with `chosen` as its request; the pointer then at `pointer`.
OpenWindows& MenuShown(R& rig, std::int32_t chosen, ScreenPoint pointer = {640, 512}) {
    EXPECT_TRUE(rig.menu.Open({640, 512}));
    rig.menu.setMenuClickRequest(chosen);
    rig.desktop.pointer = pointer;
    return rig.openWindows;
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

const ScreenRect kAroundPointer{600, 500, 700, 600};

INSTANTIATE_TEST_SUITE_P(
    InOrder, OnDwellTriggerRules,
    ::testing::Values(
        RuleCase{"MacroPlayingNoClick", kind::kRight, kNone,
                 [](R& r) {
                     r.macros.playing = true;
                     r.settings.pointerMoveMode = 1;
                 }},
        RuleCase{"MacroShellErrorDismissedByLeftClick", kind::kRight, kLeft,
                 [](R& r) { r.macros.playing = r.macros.shellError = true; }},
        RuleCase{"MouseModeLeftClick", kind::kDouble, kLeft,
                 [](R& r) {
                     r.settings.pointerMoveMode = 1;
                     r.keyboards.keyboard = {{0, 0, 1280, 1024}, true, false};
                 }},
        RuleCase{"MenuShownOverOptionsClicksTheKind", kind::kRight, kRight,
                 [](R& r) { MenuShown(r, request::kMiddle).webcamOptions = true; }},
        RuleCase{"MenuShownOptionsIgnoredWhenMainWindowHidden", kind::kRight, kMiddle,
                 [](R& r) {
                     MenuShown(r, request::kMiddle) = {.webcamOptions = true,
                                                       .mainWindowHiddenByUser = true};
                 }},
        RuleCase{"MenuShownWarningDoesNotCount", kind::kRight, kMiddle,
                 [](R& r) {
                     MenuShown(r, request::kMiddle) = {.warning = true, .macroEditor = true};
                 }},
        RuleCase{"MenuShownPointerInsideClicksTheHoveredCell", kind::kRight, kDouble,
                 [](R& r) { MenuShown(r, request::kDouble, {536, 477}); }},
        RuleCase{"MenuShownPointerOnTheEdgeIsOutside", kind::kRight, kLeft,
                 [](R& r) { MenuShown(r, request::kDouble, {535, 500}); }},
        RuleCase{"KeyboardAsksForPlainClick", kind::kRight, kLeft,
                 [](R& r) { r.keyboards.keyboard.plainClickRequested = true; }},
        RuleCase{"MacroKeyboardAsksForPlainClick", kind::kMenu, kLeft,
                 [](R& r) { r.keyboards.macroKeyboard.plainClickRequested = true; }},
        RuleCase{"RestartCountdownShown", kind::kRight, kLeft,
                 [](R& r) { r.openWindows.restartCountdown = true; }},
        RuleCase{"NotificationMenuShown", kind::kMenu, kLeft,
                 [](R& r) { r.openWindows.notificationMenu = true; }},
        RuleCase{"OptionsIgnoredWhileMainWindowHidden", kind::kRight, kRight,
                 [](R& r) { r.openWindows = {.about = true, .mainWindowHiddenByUser = true}; }},
        RuleCase{"WarningAloneDoesNotMakePlainClicks", kind::kRight, kRight,
                 [](R& r) { r.openWindows.warning = true; }},
        RuleCase{"MessageClickedEvenWhileMainWindowHidden", kind::kMenu, kLeft,
                 [](R& r) { r.openWindows = {.notice = true, .mainWindowHiddenByUser = true}; }},
        RuleCase{"PointerOverMacroEditor", kind::kRight, kLeft,
                 [](R& r) { r.engine.windowAtPoint.window = OwnWindowAtPoint::MacroEditor; }},
        RuleCase{"PointerOverProfileNameDialog", kind::kDouble, kLeft,
                 [](R& r) { r.engine.windowAtPoint.window = OwnWindowAtPoint::ProfileNameDialog; }},
        RuleCase{"InsideShownProfileNameDialog", kind::kRight, kLeft,
                 [](R& r) {
                     r.openWindows = {.profileNameDialogShown = true,
                                      .profileNameDialogRect = kAroundPointer};
                 }},
        RuleCase{"OnTheEdgeOfTheProfileNameDialog", kind::kRight, kRight,
                 [](R& r) {
                     r.openWindows = {.profileNameDialogShown = true,
                                      .profileNameDialogRect = {640, 500, 700, 600}};
                 }},
        RuleCase{"InsideForegroundMacroEditor", kind::kRight, kLeft,
                 [](R& r) {
                     r.openWindows = {.macroEditor = true,
                                      .macroEditorRect = {0, 0, 1000, 1000},
                                      .macroEditorForegroundAtLastPaint = true};
                 }},
        RuleCase{"MacroEditorNotForeground", kind::kRight, kRight,
                 [](R& r) {
                     r.openWindows = {.macroEditor = true, .macroEditorRect = {0, 0, 1000, 1000}};
                 }},
        RuleCase{"MacroEditorWhileProfileDialogShownElsewhere", kind::kRight, kRight,
                 [](R& r) {
                     r.openWindows = {.macroEditor = true,
                                      .profileNameDialogShown = true,
                                      .profileNameDialogRect = {0, 0, 10, 10},
                                      .macroEditorRect = {0, 0, 1000, 1000},
                                      .macroEditorForegroundAtLastPaint = true};
                 }},
        RuleCase{"InsidePresentKeyboard", kind::kMiddle, kLeft,
                 [](R& r) { r.keyboards.keyboard = {kAroundPointer, true, false}; }},
        RuleCase{"BothKeyboardsPresentPointerInTheMacroKeyboard", kind::kMiddle, kLeft,
                 [](R& r) {
                     r.keyboards = {{{0, 0, 100, 100}, true, false}, {kAroundPointer, true, false}};
                 }},
        RuleCase{"BothKeyboardsPresentPointerInNeither", kind::kMiddle, kMiddle,
                 [](R& r) {
                     r.keyboards = {{{0, 0, 100, 100}, true, false},
                                    {{700, 600, 800, 700}, true, false}};
                 }},
        RuleCase{"InsideAbsentKeyboard", kind::kMiddle, kMiddle,
                 [](R& r) {
                     r.keyboards = {{kAroundPointer, false, false}, {{0, 0, 10, 10}, true, false}};
                 }},
        RuleCase{"OnTheKeyboardsEdge", kind::kMiddle, kMiddle,
                 [](R& r) { r.keyboards.keyboard = {{600, 512, 700, 600}, true, false}; }},
        RuleCase{"BoundKindRight", kind::kRight, kRight, [](R&) {}},
        RuleCase{"BoundKindDrag", kind::kDrag, Events{"press Left"}, [](R&) {}},
        RuleCase{"MenuKindOpensTheMenu", kind::kMenu, kNone, [](R&) {}}),
    [](const ::testing::TestParamInfo<RuleCase>& rule) { return std::string(rule.param.name); });

TEST(OnDwellTrigger, PlainClickRequestIsUsedOnce) {
    PointerRig rig;
    rig.keyboards.keyboard.plainClickRequested = true;
    rig.keyboards.macroKeyboard.plainClickRequested = true;
    rig.dispatcher.OnDwellTrigger(kind::kRight, rig.triggers);
    rig.dispatcher.OnDwellTrigger(kind::kRight, rig.triggers);
    EXPECT_EQ(rig.input.Buttons(),
              (Events{"press Left", "release Left", "press Right", "release Right"}));
}

TEST(OnDwellTrigger, OutsideTheMenuALeftClickLandsWhereItOpenedAndResetsTheChoice) {
    PointerRig rig;
    rig.desktop.pointer = {640, 512};
    rig.dispatcher.OnDwellTrigger(kind::kMenu, rig.triggers);
    rig.menu.setMenuClickRequest(request::kRight);
    rig.desktop.pointer = {100, 100};
    rig.journal.clear();

    rig.dispatcher.OnDwellTrigger(kind::kMenu, rig.triggers);

    EXPECT_EQ(rig.menu.menuClickRequest(), request::kLeft);
    EXPECT_EQ(rig.journal, (Events{"menu hide", "moveTo 640,512", "sleep 2", "press Left",
                                   "release Left", "sound click.wav"}));
}

TEST(OnDwellTrigger, MenuKindWhileDraggingDropsWhereThePointerIs) {
    PointerRig rig;
    rig.clicks.ToggleDrag();
    rig.desktop.pointer = {900, 100};
    rig.dispatcher.OnDwellTrigger(kind::kMenu, rig.triggers);
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
