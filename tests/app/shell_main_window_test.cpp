#include <gtest/gtest.h>

#include <algorithm>

#include "app/shell/main_window_logic.h"
#include "app/shell/remote_control.h"
#include "tests/fakes/recording_shell_actions.h"
#include "tracking/headless_ports.h"

namespace veltranix {
namespace {

using EventJournal = PortLog;
using testing::RecordingShellActions;

struct MainWindowRig {
    MainWindowRig() { settings.sizeFactor = 1.0f; }

    // The logic in `form`, with the journal cleared.
    MainWindowLogic& In(MainWindowForm form) {
        logic.EnterForm(form);
        actions.journal.clear();
        return logic;
    }
    void Tick(MainWindowTimer timer, int times) {
        for (int i = 0; i < times; ++i) {
            logic.OnTimer(timer);
        }
    }

    RecordingShellActions actions;
    HeadlessDesktop desktop;
    Settings settings;
    OpenWindows openWindows;
    MainWindowLogic logic{actions, desktop, settings, openWindows};
};

TEST(RestartCountdown, ElevenTicksRunTheDigitFromTenToZeroThenReset) {
    MainWindowRig rig;
    rig.In(MainWindowForm::Docked).StartRestartCountdown();
    EXPECT_EQ(rig.actions.journal,
              (EventJournal{"form RestartCountdown", "show main", "start timer RestartCountdown"}));
    EXPECT_TRUE(rig.openWindows.restartCountdown);
    EXPECT_EQ(rig.logic.CountdownText().text, "10");
    EXPECT_EQ(rig.logic.CountdownText().origin, (ScreenPoint{103, 15}));
    rig.actions.journal.clear();

    for (int expected = 9; expected >= 0; --expected) {
        rig.logic.OnTimer(MainWindowTimer::RestartCountdown);
        EXPECT_EQ(rig.logic.countdownDigit(), expected);
    }
    EXPECT_TRUE(rig.actions.journal.empty());
    rig.logic.OnTimer(MainWindowTimer::RestartCountdown);
    EXPECT_EQ(rig.actions.journal,
              (EventJournal{"stop timer RestartCountdown", "hide main", "state Reset"}));
    EXPECT_FALSE(rig.logic.restartCountdownRunning());
    EXPECT_FALSE(rig.openWindows.restartCountdown);
    EXPECT_EQ(rig.logic.countdownDigit(), 10);
}

TEST(RestartCountdown, ThePointerInTheCancelBoxDocksTheWindow) {
    MainWindowRig rig;
    rig.logic.StartRestartCountdown();
    rig.Tick(MainWindowTimer::RestartCountdown, 3);
    rig.actions.journal.clear();

    EXPECT_EQ(rig.logic.OnPointerMoved({88, 80}), Repaint::NotNeeded);
    EXPECT_EQ(rig.logic.OnPointerMoved({100, 109}), Repaint::NotNeeded);
    EXPECT_EQ(rig.logic.OnPointerMoved({89, 63}), Repaint::Needed);
    EXPECT_EQ(rig.actions.journal,
              (EventJournal{"stop timer RestartCountdown", "form Docked", "show main"}));
    EXPECT_EQ(rig.logic.countdownDigit(), 10);
    rig.actions.journal.clear();
    rig.Tick(MainWindowTimer::RestartCountdown, 11);
    EXPECT_EQ(rig.actions.journal.back(), "stop timer RestartCountdown");
    EXPECT_EQ(std::count(rig.actions.journal.begin(), rig.actions.journal.end(), "state Reset"), 0);
}

// Pause, the options, hide and exit are pressed with the face in the
// desktop test; here the presses it does not make.
TEST(MenuPresses, DoWhatTheButtonSays) {
    using enum MainMenuButton;
    const struct {
        MainMenuButton button;
        bool paused, trasPausa, mouseOptionsOpen;
        EventJournal expected;
    } cases[] = {
        {Restart, false, false, false, {"hide main", "state Reset"}},
        {PauseOrResume, true, true, false, {"state Reset"}},
        {PauseOrResume, true, false, false, {"state Track"}},
        {MouseOptions, false, false, true, {}},  // its menu is open already
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        rig.actions.paused = c.paused;
        rig.settings.trasPausa = c.trasPausa;
        rig.openWindows.mouseOptions = c.mouseOptionsOpen;
        rig.In(MainWindowForm::ButtonMenu).Press(c.button);
        EXPECT_EQ(rig.actions.journal, c.expected) << static_cast<int>(c.button);
    }
}

TEST(ButtonMenu, PauseThenResumeThroughTheSameButton) {
    MainWindowRig rig;
    rig.In(MainWindowForm::ButtonMenu);
    EXPECT_EQ(rig.logic.menuSkin(), "MENU_PRINCIPAL_PAUSA");
    rig.actions.setTrackingState(TrackingRequest::HeadPause);
    EXPECT_EQ(rig.logic.menuSkin(), "MENU_PRINCIPAL");
    rig.logic.Press(MainMenuButton::PauseOrResume);
    EXPECT_EQ(rig.logic.menuSkin(), "MENU_PRINCIPAL_PAUSA");
}

TEST(ButtonMenu, ClicksOnTheColumnLineAndHideMarkTheWindow) {
    MainWindowRig rig;
    rig.In(MainWindowForm::ButtonMenu).OnLeftButtonDown({82, 30});
    EXPECT_TRUE(rig.actions.journal.empty());
    EXPECT_TRUE(rig.openWindows.mainWindowButtonMenu);

    rig.logic.OnLeftButtonDown({41, 210});
    EXPECT_TRUE(rig.logic.hiddenByUser());
    EXPECT_FALSE(rig.openWindows.mainWindowButtonMenu);
    rig.logic.EndHiddenByUser();
    EXPECT_FALSE(rig.openWindows.mainWindowHiddenByUser);
}

TEST(ButtonMenu, OutlinesTheHoveredButtonAndForgetsItWhenThePointerLeaves) {
    MainWindowRig rig;
    rig.settings.sizeFactor = 1.4f;
    rig.In(MainWindowForm::ButtonMenu);
    EXPECT_EQ(rig.logic.OnPointerMoved({50, 50}), Repaint::Needed);
    EXPECT_EQ(rig.logic.OnPointerMoved({51, 51}), Repaint::NotNeeded);
    EXPECT_EQ(rig.logic.hoverOutline(), (ScreenRect{0, 0, 114, 84}));
    EXPECT_EQ(rig.logic.hoverOutlinePenWidth(), 3);
    // The loop asks for the menu form on every frame.
    rig.logic.EnterForm(MainWindowForm::ButtonMenu);
    EXPECT_EQ(rig.logic.hoveredButton(), MainMenuButton::Restart);

    // The menu form is at 1056, 648 on the fake desktop.
    EXPECT_EQ(rig.logic.ClearHighlightUnlessOver({1100, 690}), Repaint::NotNeeded);
    EXPECT_EQ(rig.logic.ClearHighlightUnlessOver({1200, 690}), Repaint::Needed);
    EXPECT_FALSE(rig.logic.hoverOutline());
}

TEST(Commands, FollowTheirRules) {
    using enum MainWindowCommand;
    constexpr auto kStartup = MainWindowForm::Startup;
    constexpr auto kDocked = MainWindowForm::Docked;
    constexpr OpenWindows kNone{}, kWebcam{.webcamOptions = true}, kAbout{.about = true};
    // `available`: the tray menu shows the item enabled.
    const struct {
        MainWindowCommand command;
        MainWindowForm form;
        OpenWindows open;
        bool available;
        EventJournal expected;
    } cases[] = {
        {WebcamOptions, kStartup, kNone, false, {}},
        {WebcamOptions,
         kDocked,
         kNone,
         true,
         {"hide companion", "open WebcamOptions from ButtonMenu"}},
        {WebcamOptions, kDocked, kWebcam, false, {"hide companion"}},
        {MouseOptions, kStartup, kNone, false, {}},
        {MouseOptions,
         kDocked,
         kWebcam,
         true,
         {"hide companion", "open MouseOptions from ButtonMenu"}},
        {UserManual, kDocked, kNone, true, {"manual"}},
        {UserManual, kDocked, kWebcam, false, {}},
        {About, kStartup, kNone, true, {"open About from ButtonMenu"}},
        {About, kDocked, kAbout, false, {}},
        {Exit, kStartup, kAbout, true, {"hide main", "exit"}},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        rig.In(c.form);
        rig.openWindows = c.open;
        EXPECT_EQ(rig.logic.CommandAvailable(c.command), c.available)
            << static_cast<int>(c.command);
        rig.logic.OnCommand(c.command);
        EXPECT_EQ(rig.actions.journal, c.expected) << static_cast<int>(c.command);
    }
}

// Opening a window from the set-up bar first closes the loading bar, hides
// the main window and suspends tracking.
EventJournal OpenedFromSetup(const std::string& opening) {
    return {"close LoadingBar", "hide main", "state Suspended", opening};
}

TEST(SetupBarPresses, ActOnTheButtonUnderThePointer) {
    constexpr auto kAuto = SetupBarKind::Automatic;
    constexpr auto kManual = SetupBarKind::Manual;
    const struct {
        SetupBarKind bar;
        ScreenPoint click;
        bool eyesMarked;
        EventJournal expected;
        // Clicks in device pixels: at 2 the work area (1280 x 984) holds
        // the form at 984 / 560.
        float desktopScale = 1.0f;
    } cases[] = {
        {kAuto, {200, 500}, false, OpenedFromSetup("open MouseOptions from SetupBarAutomatic")},
        {kAuto, {600, 500}, false, OpenedFromSetup("open ExitConfirmation from SetupBarAutomatic")},
        {kAuto, {190, 500}, false, {}},
        {kManual, {350, 500}, false, OpenedFromSetup("open WebcamOptions from SetupBarManual")},
        {kManual, {20, 500}, false, {"clear marks"}},
        {kManual, {165, 520}, true, {"start marked"}},
        {kManual, {165, 520}, false, {}},  // start without a confirmed pair
        {kAuto, {351, 878}, false, OpenedFromSetup("open MouseOptions from SetupBarAutomatic"), 2},
        {kAuto, {333, 878}, false, {}, 2},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        rig.settings.desktopScale = c.desktopScale;
        rig.actions.eyesMarked = c.eyesMarked;
        rig.In(MainWindowForm::Startup).SetSetupBar(c.bar);
        rig.logic.OnLeftButtonDown(c.click);
        EXPECT_EQ(rig.actions.journal, c.expected) << c.click.x << "," << c.click.y;
    }
}

TEST(SetupBar, SwitchingToManualOpensTheEyeWindowOnTheSecondTick) {
    MainWindowRig rig;
    rig.In(MainWindowForm::Startup).OnLeftButtonDown({400, 520});
    EXPECT_EQ(rig.actions.journal, (EventJournal{"close LoadingBar", "hide main", "state Suspended",
                                                 "start timer SetupSwitch"}));
    rig.actions.journal.clear();
    rig.logic.OnTimer(MainWindowTimer::SetupSwitch);
    EXPECT_TRUE(rig.actions.journal.empty());
    rig.logic.OnTimer(MainWindowTimer::SetupSwitch);
    EXPECT_EQ(rig.actions.journal,
              (EventJournal{"stop timer SetupSwitch",
                            "open ManualEyePositions from SetupBarAutomatic", "show main"}));
    EXPECT_EQ(rig.logic.setupBar(), SetupBarKind::Manual);

    rig.actions.journal.clear();
    rig.logic.OnLeftButtonDown({500, 520});
    rig.Tick(MainWindowTimer::SetupSwitch, 2);
    EXPECT_EQ(rig.actions.journal,
              (EventJournal{"close ManualEyePositions", "start timer SetupSwitch",
                            "stop timer SetupSwitch", "state Detect",
                            "open LoadingBar from SetupBarAutomatic", "show main"}));
    EXPECT_EQ(rig.logic.setupBar(), SetupBarKind::Automatic);
}

TEST(SetupBar, HoldingTheCalibrationBlinksTheMarkerGrid) {
    MainWindowRig rig;
    rig.In(MainWindowForm::Startup).OnLeftButtonDown({150, 520});
    EXPECT_EQ(rig.actions.journal, (EventJournal{"hold on", "start timer CalibrationBlink"}));
    EXPECT_TRUE(rig.logic.markerGridShown());
    rig.logic.OnTimer(MainWindowTimer::CalibrationBlink);
    EXPECT_FALSE(rig.logic.markerGridShown());
    rig.logic.OnTimer(MainWindowTimer::CalibrationBlink);
    EXPECT_TRUE(rig.logic.markerGridShown());

    rig.actions.journal.clear();
    rig.logic.OnLeftButtonDown({150, 520});
    EXPECT_EQ(rig.actions.journal, (EventJournal{"hold off", "stop timer CalibrationBlink"}));
    EXPECT_FALSE(rig.logic.markerGridShown());
    EXPECT_FALSE(rig.logic.calibrationHold());
}

TEST(SetupBar, OutlinesTheHoveredButtonWithTheWidePen) {
    MainWindowRig rig;
    rig.In(MainWindowForm::Startup);
    EXPECT_EQ(rig.logic.OnPointerMoved({120, 500}), Repaint::Needed);
    EXPECT_EQ(rig.logic.OnPointerMoved({121, 501}), Repaint::NotNeeded);
    EXPECT_EQ(rig.logic.hoverOutline(), (ScreenRect{110, 491, 178, 550}));
    EXPECT_EQ(rig.logic.hoverOutlinePenWidth(), 4);
    EXPECT_EQ(rig.logic.OnPointerMoved({120, 300}), Repaint::Needed);
    EXPECT_FALSE(rig.logic.hoverOutline());
}

TEST(SetupBar, EyesMarkedFrameBlinksUntilTheMarksAreCleared) {
    MainWindowRig rig;
    rig.In(MainWindowForm::Startup).SetSetupBar(SetupBarKind::Manual);
    rig.logic.StartEyesMarkedBlink();
    EXPECT_EQ(rig.logic.eyesMarkedFrameColour(), kEyesMarkedFrameGreen);
    rig.logic.OnTimer(MainWindowTimer::OkFrameBlink);
    EXPECT_EQ(rig.logic.eyesMarkedFrameColour(), (RgbColour{209, 248, 245}));
    rig.actions.journal.clear();
    rig.logic.OnLeftButtonDown({20, 500});
    EXPECT_EQ(rig.actions.journal, (EventJournal{"clear marks", "stop timer OkFrameBlink"}));
    EXPECT_FALSE(rig.logic.eyesMarkedBlinking());
}

TEST(SetupBar, AutomaticBarNamesTheFormatAndCentresTheManualText) {
    Lexicon lexicon;
    lexicon.slots[static_cast<std::size_t>(LexiconKey::Manual)] = "Manual";
    const std::vector<SkinText> texts = AutomaticBarTexts(FrameLayout::Yuy2, lexicon);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1].text, "YUV400");
    // Six characters of 15 pixels over button 4 (371 to 539).
    EXPECT_EQ(texts[3].origin, (ScreenPoint{410, 500}));
    EXPECT_EQ(CaptureFormatName(FrameLayout::I420), "YUV420");
}

// The status's frames a second: 25 a second is 25 however long it has run,
// and falls as the camera stalls.
TEST(FrameRate, CountsTheLastTwoSecondsOfFrames) {
    const struct {
        double firstSeconds, lastSeconds, askedAtSeconds, perSecond;
    } cases[] = {{0.0, 10.0, 10.0, 25.0},
                 {0.0, 0.5, 0.5, 25.0},
                 {0.0, 10.0, 11.0, 12.5},
                 {0.0, 10.0, 12.5, 0.0},
                 {0.0, 0.0, 0.0, 0.0}};
    for (const auto& run : cases) {
        FrameRate rate;
        for (int frame = 0; frame * 0.04 <= run.lastSeconds + 1e-9; ++frame) {
            rate.frameAt(frame * 0.04);
        }
        EXPECT_NEAR(rate.perSecond(run.askedAtSeconds), run.perSecond, 1.0)
            << run.lastSeconds << " " << run.askedAtSeconds;
    }
}

}  // namespace
}  // namespace veltranix
