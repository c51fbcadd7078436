#include <gtest/gtest.h>

#include "app/shell/about_window.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/notice_window.h"
#include "app/shell/popup_layout.h"
#include "app/shell/warning_window.h"
#include "core/desktop_layout.h"
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
constexpr auto kNone = std::nullopt;

// tamany 2: 224 x 168 at right - 224, bottom - 170; the menu 224 x 336.
// The start-up and restart forms follow the desktop scale, not the size,
// and shrink to the work area (1040 / 560 on a 1920 x 1080 screen).
TEST(FormRects, FollowTheWorkAreaAndTheSize) {
    using enum MainWindowForm;
    const struct {
        MainWindowForm form;
        float sizeFactor;
        float desktopScale;
        ScreenRect workArea;
        ScreenRect expected;
    } cases[] = {
        {Docked, 1.4f, 1.0f, kWorkArea, {1056, 814, 1280, 982}},
        {ButtonMenu, 1.4f, 1.0f, kWorkArea, {1056, 648, 1280, 984}},
        {Docked, 1.2f, 1.0f, kWorkArea, {1088, 838, 1280, 982}},
        {ButtonMenu, 1.2f, 1.0f, kWorkArea, {1088, 696, 1280, 984}},
        {Docked, 1.0f, 1.0f, kWorkArea, {1120, 862, 1280, 982}},
        {ButtonMenu, 1.0f, 1.0f, kWorkArea, {1120, 744, 1280, 984}},
        {Startup, 1.4f, 1.0f, kWorkArea, {320, 212, 960, 772}},
        {Startup, 1.0f, 1.0f, {0, 28, 1920, 1080}, {640, 274, 1280, 834}},
        {RestartCountdown, 1.4f, 1.0f, kWorkArea, {560, 432, 720, 552}},
        {Startup, 1.0f, 2.0f, {0, 0, 3840, 2100}, {1280, 490, 2560, 1610}},
        {Startup, 2.0f, 2.0f, {0, 0, 1920, 1040}, {366, 0, 1554, 1040}},
        {RestartCountdown, 1.0f, 2.0f, {0, 0, 1920, 1040}, {800, 400, 1120, 640}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MainWindowFormRect(c.form, c.workArea, c.sizeFactor, c.desktopScale), c.expected)
            << static_cast<int>(c.form) << " at " << c.sizeFactor << ", " << c.desktopScale;
    }
}

// A click on a window drawn at a desktop scale marks the picture's pixel
// under the middle of the clicked device pixel.
TEST(DesignPoints, AreThePixelsUnderTheClickedDevicePixel) {
    const struct {
        float scale;
        ScreenPoint device, design;
    } cases[] = {{2.0f, {141, 183}, {70, 91}}, {1.5f, {1, 2}, {1, 1}}, {1.5f, {3, 0}, {2, 0}}};
    for (const auto& c : cases) {
        EXPECT_EQ(DesignPointAt(c.device, c.scale), c.design) << c.scale;
    }
}

// 82 x 1.4 = 114.8: the column line at s = 1.4 is x = 114.
TEST(MenuButtons, AreHitStrictlyInside) {
    using enum MainMenuButton;
    const struct {
        float sizeFactor;
        ScreenPoint client;
        std::optional<MainMenuButton> expected;
    } cases[] = {{1.0f, {41, 30}, Restart},         {1.0f, {121, 30}, PauseOrResume},
                 {1.0f, {41, 90}, SystemOptions},   {1.0f, {121, 210}, Exit},
                 {1.0f, {82, 30}, kNone},           {1.0f, {83, 30}, PauseOrResume},
                 {1.0f, {41, 60}, kNone},           {1.4f, {114, 100}, kNone},
                 {1.4f, {113, 100}, SystemOptions}, {1.4f, {115, 100}, About},
                 {1.4f, {200, 335}, Exit},          {1.4f, {200, 336}, kNone}};
    for (const auto& c : cases) {
        EXPECT_EQ(MainMenuButtonAt(c.client, c.sizeFactor), c.expected)
            << c.client.x << "," << c.client.y << " at " << c.sizeFactor;
    }
}

TEST(SetupBarHits, IncludeTheLeftAndTopEdges) {
    constexpr auto kAuto = SetupBarKind::Automatic;
    constexpr auto kManual = SetupBarKind::Manual;
    const struct {
        SetupBarKind bar;
        ScreenPoint client;
        int expectedNumber;  // 0: none
    } cases[] = {{kAuto, {110, 491}, 1},   {kAuto, {109, 500}, 0},  {kAuto, {177, 549}, 1},
                 {kAuto, {178, 500}, 0},   {kAuto, {150, 550}, 0},  {kAuto, {371, 500}, 4},
                 {kAuto, {624, 500}, 5},   {kManual, {16, 500}, 1}, {kManual, {538, 500}, 0},
                 {kManual, {556, 500}, 6}, {kManual, {623, 500}, 0}};
    for (const auto& c : cases) {
        const std::optional<SetupBarButton> button = SetupBarButtonAt(c.bar, c.client);
        EXPECT_EQ(button ? button->number : 0, c.expectedNumber) << c.client.x << "," << c.client.y;
    }
}

// The screen is 1280 x 1024, the work area 1280 x 984, the pointer at 1200,
// 900. Pause at s = 1.0: 160 x 120 at the work area's bottom-right, 2 px up.
TEST(PopupLayouts, PlaceTheWindowAndThePointer) {
    using enum PopupKind;
    constexpr auto kMenu = PopupOrigin::ButtonMenu;
    constexpr auto kSetup = PopupOrigin::SetupBarAutomatic;
    constexpr auto kExit = PopupKind::ExitConfirmation;
    const struct {
        PopupKind kind;
        PopupOrigin origin;
        float sizeFactor;
        ScreenRect window;
        std::optional<ScreenPoint> pointer;
        std::optional<ScreenRect> bounds;
    } cases[] = {
        {Pause, kMenu, 1.0f, {1120, 862, 1280, 982}, {{1200, 910}}, {{1120, 862, 1279, 981}}},
        {kExit, kMenu, 1.4f, {1056, 814, 1280, 982}, {{1200, 910}}, {{1056, 814, 1279, 981}}},
        {kExit, kSetup, 1.0f, {560, 452, 720, 572}, {{1200, 910}}, {{560, 452, 719, 571}}},
        {About, kMenu, 1.2f, {275, 204, 1004, 820}, {{1185, 885}}, {{275, 204, 1003, 819}}},
        {MouseOptions, kMenu, 1.0f, {296, 255, 984, 769}, {{1185, 885}}, {{296, 255, 983, 768}}},
        {SystemOptions, kMenu, 1.0f, {336, 255, 944, 769}, {{1185, 885}}, {{336, 255, 943, 768}}},
        {Warning, kMenu, 1.0f, {340, 463, 939, 561}, {{1185, 885}}, {{340, 463, 938, 560}}},
        {Notice, kMenu, 1.0f, {340, 362, 939, 662}, {{1185, 885}}, {{340, 362, 938, 661}}},
        {LoadingBar, kMenu, 1.4f, {490, 302, 790, 332}, {{1185, 885}}, kNone},
        {ManualEyePositions, kSetup, 1.4f, {320, 251, 960, 733}, kNone, kNone},
    };
    for (const auto& c : cases) {
        const PopupDesktop desktop{{0, 0, 1280, 1024}, kWorkArea, c.sizeFactor, 300, {1200, 900}};
        const PopupLayout layout = PopupLayoutFor(c.kind, c.origin, desktop);
        const int kind = static_cast<int>(c.kind);
        EXPECT_EQ(layout.window, c.window) << kind;
        EXPECT_EQ(layout.size,
                  (ScreenSize{c.window.right - c.window.left, c.window.bottom - c.window.top}));
        EXPECT_EQ(layout.pointerAfterOpen, c.pointer) << kind;
        EXPECT_EQ(layout.pointerBounds, c.bounds) << kind;
    }
}

TEST(PauseWindow, ConfinesThePointerToItselfWhateverTheWorkArea) {
    // A panel on the right and a tall one at the bottom: the window moves
    // with the work area and so must the pointer's range, or its buttons
    // would be out of reach.
    const PopupDesktop desktop{{0, 0, 1280, 1024}, {0, 0, 1100, 850}, 1.0f, 300, {1000, 800}};
    const PopupLayout layout = PopupLayoutFor(PopupKind::Pause, PopupOrigin::ButtonMenu, desktop);
    EXPECT_EQ(layout.window, (ScreenRect{940, 728, 1100, 848}));
    EXPECT_EQ(layout.pointerBounds, (ScreenRect{940, 728, 1099, 847}));
}

// Monitor lists, the primary first: one monitor with a panel; 1920 x 1080
// beside 1280 x 1024 (the dead area below the smaller one); two 1920 x 1080
// with the right one primary; one monitor at a desktop scale of 2. The
// docked window keeps to the primary monitor, the webcam options are centred
// on it and fit its work area, the pointer is never placed off every monitor.
TEST(MonitorLayouts, KeepWindowsAndPointerOnOneMonitor) {
    const struct {
        std::vector<ScreenRect> monitors;
        ScreenRect workArea;
        float sizeFactor;
        ScreenRect docked;
        ScreenRect webcamOptions;
        ScreenPoint pointerAsked, pointerPlaced;
    } cases[] = {
        {{{0, 0, 1920, 1080}},
         {0, 0, 1920, 1040},
         1.0f,
         {1760, 918, 1920, 1038},
         {656, 255, 1264, 825},
         {2000, 500},
         {1919, 500}},
        {{{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}},
         {0, 0, 3200, 1080},
         1.4f,
         {1696, 910, 1920, 1078},
         {534, 141, 1385, 939},
         {2500, 1060},
         {2500, 1023}},
        {{{1920, 0, 3840, 1080}, {0, 0, 1920, 1080}},
         {0, 0, 3840, 1080},
         1.0f,
         {3680, 958, 3840, 1078},
         {2576, 255, 3184, 825},
         {-5, 500},
         {0, 500}},
        {{{0, 0, 1920, 1080}},
         {0, 0, 1920, 1080},
         2.0f,
         {1600, 836, 1920, 1076},
         {384, 0, 1536, 1080},
         {1920, 1080},
         {1919, 1079}},
    };
    for (const auto& c : cases) {
        const ScreenRect dockArea = PrimaryWorkArea(c.monitors, c.workArea);
        const ScreenRect docked =
            MainWindowFormRect(MainWindowForm::Docked, dockArea, c.sizeFactor, 1.0f);
        EXPECT_EQ(docked, c.docked) << c.sizeFactor;
        const ScreenRect monitor = MonitorHolding(c.monitors, docked, c.workArea);
        const PopupDesktop desktop{
            monitor, WorkAreaShare(monitor, c.workArea), c.sizeFactor, 300, {1200, 900}};
        EXPECT_EQ(PopupLayoutFor(PopupKind::WebcamOptions, PopupOrigin::ButtonMenu, desktop).window,
                  c.webcamOptions)
            << c.sizeFactor;
        EXPECT_EQ(NearestPointOnMonitors(c.pointerAsked, c.monitors), c.pointerPlaced);
        EXPECT_EQ(NearestPointOnMonitors(c.pointerPlaced, c.monitors), c.pointerPlaced);
    }
}

// A scaled session sets Xft.dpi in the root window's resources.
TEST(DesktopScale, FollowsXftDpiFrom144) {
    const struct {
        std::string_view resources;
        int dpi;
        double scale;
    } cases[] = {{"Xft.dpi:\t192\n", 192, 2.0},
                 {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144, 1.5},
                 {"Xft.dpi: 168", 168, 1.75},
                 {"Xft.dpi:\t120\n", 120, 1.0},
                 {"Xft.dpi:\tlarge\n", 0, 1.0},
                 {"", 0, 1.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(XftDpiFromResources(c.resources), c.dpi) << c.resources;
        EXPECT_EQ(DesktopScaleForDpi(c.dpi), c.scale) << c.dpi;
    }
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

TEST(WarningSplit, CutsAtTheFirstBackslashN) {
    const struct {
        std::string_view text, first, second;
    } cases[] = {
        {"The pointer will stop following your head.\\nDo you want to continue?",
         "The pointer will stop following your head.", "Do you want to continue?"},
        {"one\\ntwo\\nthree", "one", "twothree"},
        {"no break", "no break", ""},
        {"back\\slash\\n", "back\\slash", ""},
    };
    for (const auto& c : cases) {
        const WarningLines lines = SplitWarningText(c.text);
        EXPECT_EQ(lines.first, c.first) << c.text;
        EXPECT_EQ(lines.second, c.second) << c.text;
    }
}

// Messages are long (file paths, reasons): wrapped at spaces and breaks, a
// word longer than a line cut, never inside a character, and what does not
// fit ends the last line in "...".
TEST(NoticeText, WrapsToTheWindow) {
    using Lines = std::vector<std::string>;
    const struct {
        std::string_view text;
        std::size_t maxLines, maxCharacters;
        Lines expected;
    } cases[] = {
        {"one two three", 3, 7, {"one two", "three"}},
        {"one\\ntwo\nthree", 3, 10, {"one", "two", "three"}},
        {"/a/very/long/path", 3, 6, {"/a/ver", "y/long", "/path"}},
        {"a b c d e f g", 2, 5, {"a b c", "d ..."}},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
         2,
         3,
         {"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrapNoticeText(c.text, c.maxLines, c.maxCharacters), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace veltranix
