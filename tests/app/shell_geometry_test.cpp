#include <gtest/gtest.h>

#include "app/shell/about_window.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/popup_layout.h"
#include "app/shell/warning_window.h"
#include "tracking/tracking_loop.h"

namespace veltranix {
namespace {

constexpr bool SameNumber(TrackingRequest request, TrackingState state) {
    return static_cast<int>(request) == static_cast<int>(state);
}
static_assert(SameNumber(TrackingRequest::Detect, TrackingState::Detect) &&
              SameNumber(TrackingRequest::StartTracking, TrackingState::StartTracking) &&
              SameNumber(TrackingRequest::Track, TrackingState::Track) &&
              SameNumber(TrackingRequest::Reset, TrackingState::Reset) &&
              SameNumber(TrackingRequest::HeadPause, TrackingState::HeadPause) &&
              SameNumber(TrackingRequest::Suspended, TrackingState::Suspended));

constexpr ScreenRect kWorkArea{0, 0, 1280, 984};

struct FormCase {
    MainWindowForm form;
    float sizeFactor;
    ScreenRect workArea;
    ScreenRect expected;
};

class FormRects : public ::testing::TestWithParam<FormCase> {};

TEST_P(FormRects, FollowTheWorkAreaAndTheSize) {
    const FormCase& c = GetParam();
    EXPECT_EQ(MainWindowFormRect(c.form, c.workArea, c.sizeFactor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    AllFormsAllSizes, FormRects,
    ::testing::Values(
        // tamany 2: 224 x 168 at right - 224, bottom - 170; the menu 224 x 336.
        FormCase{MainWindowForm::Docked, 1.4f, kWorkArea, {1056, 814, 1280, 982}},
        FormCase{MainWindowForm::ButtonMenu, 1.4f, kWorkArea, {1056, 648, 1280, 984}},
        FormCase{MainWindowForm::Docked, 1.2f, kWorkArea, {1088, 838, 1280, 982}},
        FormCase{MainWindowForm::ButtonMenu, 1.2f, kWorkArea, {1088, 696, 1280, 984}},
        FormCase{MainWindowForm::Docked, 1.0f, kWorkArea, {1120, 862, 1280, 982}},
        FormCase{MainWindowForm::ButtonMenu, 1.0f, kWorkArea, {1120, 744, 1280, 984}},
        FormCase{MainWindowForm::Startup, 1.4f, kWorkArea, {320, 212, 960, 772}},
        FormCase{MainWindowForm::Startup, 1.0f, {0, 28, 1920, 1080}, {640, 274, 1280, 834}},
        FormCase{MainWindowForm::RestartCountdown, 1.4f, kWorkArea, {560, 432, 720, 552}}));

struct MenuHitCase {
    float sizeFactor;
    ScreenPoint client;
    std::optional<MainMenuButton> expected;
};

class MenuButtons : public ::testing::TestWithParam<MenuHitCase> {};

TEST_P(MenuButtons, AreHitStrictlyInside) {
    const MenuHitCase& c = GetParam();
    EXPECT_EQ(MainMenuButtonAt(c.client, c.sizeFactor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BoundariesAndCentres, MenuButtons,
    ::testing::Values(MenuHitCase{1.0f, {41, 30}, MainMenuButton::Restart},
                      MenuHitCase{1.0f, {121, 30}, MainMenuButton::PauseOrResume},
                      MenuHitCase{1.0f, {41, 90}, MainMenuButton::SystemOptions},
                      MenuHitCase{1.0f, {121, 210}, MainMenuButton::Exit},
                      MenuHitCase{1.0f, {82, 30}, std::nullopt},
                      MenuHitCase{1.0f, {83, 30}, MainMenuButton::PauseOrResume},
                      MenuHitCase{1.0f, {41, 60}, std::nullopt},
                      // 82 x 1.4 = 114.8: the boundary line is x = 114.
                      MenuHitCase{1.4f, {114, 100}, std::nullopt},
                      MenuHitCase{1.4f, {113, 100}, MainMenuButton::SystemOptions},
                      MenuHitCase{1.4f, {115, 100}, MainMenuButton::About},
                      MenuHitCase{1.4f, {200, 335}, MainMenuButton::Exit},
                      MenuHitCase{1.4f, {200, 336}, std::nullopt}));

struct SetupHitCase {
    SetupBarKind bar;
    ScreenPoint client;
    int expectedNumber;  // 0: none
};

class SetupBarHits : public ::testing::TestWithParam<SetupHitCase> {};

TEST_P(SetupBarHits, IncludeTheLeftAndTopEdges) {
    const SetupHitCase& c = GetParam();
    const std::optional<SetupBarButton> button = SetupBarButtonAt(c.bar, c.client);
    EXPECT_EQ(button ? button->number : 0, c.expectedNumber);
}

INSTANTIATE_TEST_SUITE_P(BothBars, SetupBarHits,
                         ::testing::Values(SetupHitCase{SetupBarKind::Automatic, {110, 491}, 1},
                                           SetupHitCase{SetupBarKind::Automatic, {109, 500}, 0},
                                           SetupHitCase{SetupBarKind::Automatic, {177, 549}, 1},
                                           SetupHitCase{SetupBarKind::Automatic, {178, 500}, 0},
                                           SetupHitCase{SetupBarKind::Automatic, {150, 550}, 0},
                                           SetupHitCase{SetupBarKind::Automatic, {371, 500}, 4},
                                           SetupHitCase{SetupBarKind::Automatic, {624, 500}, 5},
                                           SetupHitCase{SetupBarKind::Manual, {16, 500}, 1},
                                           SetupHitCase{SetupBarKind::Manual, {538, 500}, 0},
                                           SetupHitCase{SetupBarKind::Manual, {556, 500}, 6},
                                           SetupHitCase{SetupBarKind::Manual, {623, 500}, 0}));

struct PopupCase {
    PopupKind kind;
    PopupOrigin origin;
    float sizeFactor;
    ScreenRect window;
    std::optional<ScreenPoint> pointer;
    std::optional<ScreenRect> bounds;
};

class PopupLayouts : public ::testing::TestWithParam<PopupCase> {};

TEST_P(PopupLayouts, PlaceTheWindowAndThePointer) {
    const PopupCase& c = GetParam();
    const PopupDesktop desktop{{1280, 1024}, kWorkArea, c.sizeFactor, 300, {1200, 900}};
    const PopupLayout layout = PopupLayoutFor(c.kind, c.origin, desktop);
    EXPECT_EQ(layout.window, c.window);
    EXPECT_EQ(layout.size,
              (ScreenSize{c.window.right - c.window.left, c.window.bottom - c.window.top}));
    EXPECT_EQ(layout.pointerAfterOpen, c.pointer);
    EXPECT_EQ(layout.pointerBounds, c.bounds);
}

constexpr auto kMenu = PopupOrigin::ButtonMenu;
constexpr auto kSetup = PopupOrigin::SetupBarAutomatic;
using P = ScreenPoint;
using R = ScreenRect;
using enum PopupKind;

// The screen is 1280 x 1024, the work area 1280 x 984, the pointer at 1200, 900.
INSTANTIATE_TEST_SUITE_P(
    EveryPopup, PopupLayouts,
    ::testing::Values(
        // Pause at s = 1.0: 160 x 120 at the work area's bottom-right, 2 px up.
        PopupCase{
            Pause, kMenu, 1.0f, {1120, 862, 1280, 982}, P{1200, 910}, R{1120, 862, 1279, 981}},
        PopupCase{ExitConfirmation,
                  kMenu,
                  1.4f,
                  {1056, 814, 1280, 982},
                  P{1200, 910},
                  R{1056, 814, 1279, 981}},
        PopupCase{ExitConfirmation,
                  kSetup,
                  1.0f,
                  {560, 452, 720, 572},
                  P{1200, 910},
                  R{560, 452, 719, 571}},
        PopupCase{About, kMenu, 1.2f, {275, 204, 1004, 820}, P{1185, 885}, R{275, 204, 1003, 819}},
        PopupCase{
            MouseOptions, kMenu, 1.0f, {335, 255, 945, 769}, P{1185, 885}, R{335, 255, 944, 768}},
        PopupCase{
            SystemOptions, kMenu, 1.0f, {336, 255, 944, 769}, P{1185, 885}, R{336, 255, 943, 768}},
        PopupCase{Warning, kMenu, 1.0f, {340, 463, 939, 561}, P{1185, 885}, R{340, 463, 938, 560}},
        PopupCase{LoadingBar, kMenu, 1.4f, {490, 302, 790, 332}, P{1185, 885}, std::nullopt},
        PopupCase{
            ManualEyePositions, kSetup, 1.4f, {320, 251, 960, 733}, std::nullopt, std::nullopt}));

TEST(PauseWindow, ConfinesThePointerToItselfWhateverTheWorkArea) {
    // A panel on the right and a tall one at the bottom: the window moves
    // with the work area and so must the pointer's range, or its buttons
    // would be out of reach.
    const PopupDesktop desktop{{1280, 1024}, {0, 0, 1100, 850}, 1.0f, 300, {1000, 800}};
    const PopupLayout layout = PopupLayoutFor(PopupKind::Pause, kMenu, desktop);
    EXPECT_EQ(layout.window, (ScreenRect{940, 728, 1100, 848}));
    EXPECT_EQ(layout.pointerBounds, (ScreenRect{940, 728, 1099, 847}));
}

TEST(LexiconLines, SplitTheEnglishAboutText) {
    const std::vector<std::string> lines = SplitAboutText(
        "Veltranix 1.0\\nHands-free pointer control with head movements and facial "
        "gestures\\nDeveloped by the Veltranix team and its partners\\nwww.veltranix.org\\n"
        "www.veltranix.org/team\\nQuestions and suggestions:\\ncontact@veltranix.org\\n"
        "User manual (PDF)");
    const std::vector<std::string> expected{
        "Veltranix 1.0",
        "Hands-free pointer control with head movements and facial gestures",
        "Developed by the Veltranix team and its partners",
        "www.veltranix.org",
        "www.veltranix.org/team",
        "Questions and suggestions:",
        "contact@veltranix.org",
        "User manual (PDF)"};
    EXPECT_EQ(lines, expected);
}

TEST(LexiconLines, KeepEightLinesOfAtMost499Characters) {
    const std::vector<std::string> lines = SplitAboutText("1\\n2\\n3\\n4\\n5\\n6\\n7\\n8\\n9\\n10");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines.back(), "8");

    // 500 accented characters (1000 bytes): cut at 499 characters, never
    // inside a character.
    std::string accented;
    for (int i = 0; i < 500; ++i) {
        accented += "\xC3\xA9";
    }
    const std::vector<std::string> cut = SplitAboutText(accented + "\\nnext");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].size(), 998u);
    EXPECT_EQ(cut[1], "next");
    EXPECT_EQ(SplitAboutText("a single line"), std::vector<std::string>{"a single line"});
}

struct WarningSplitCase {
    std::string_view text;
    std::string_view first;
    std::string_view second;
};

class WarningSplit : public ::testing::TestWithParam<WarningSplitCase> {};

TEST_P(WarningSplit, CutsAtTheFirstBackslashN) {
    const WarningLines lines = SplitWarningText(GetParam().text);
    EXPECT_EQ(lines.first, GetParam().first);
    EXPECT_EQ(lines.second, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WarningSplit,
    ::testing::Values(
        WarningSplitCase{"The pointer will stop following your head.\\nDo you want to continue?",
                         "The pointer will stop following your head.", "Do you want to continue?"},
        WarningSplitCase{"one\\ntwo\\nthree", "one", "twothree"},
        WarningSplitCase{"no break", "no break", ""},
        WarningSplitCase{"back\\slash\\n", "back\\slash", ""}));

}  // namespace
}  // namespace veltranix
