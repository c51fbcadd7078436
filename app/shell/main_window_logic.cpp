#include "app/shell/main_window_logic.h"

#include <array>
#include <string>

#include "core/desktop_layout.h"
#include "core/timing.h"

namespace veltranix {

namespace {

// Two columns (0-82, 82-160) and four rows (0-60, 60-121, 121-181, 181-240)
// of the 160 x 240 menu skin.
constexpr std::array<HitCell<MainMenuButton>, 8> kMenuCells{{
    {MainMenuButton::Restart, {0, 0, 82, 60}},
    {MainMenuButton::PauseOrResume, {82, 0, 160, 60}},
    {MainMenuButton::SystemOptions, {0, 60, 82, 121}},
    {MainMenuButton::About, {82, 60, 160, 121}},
    {MainMenuButton::MouseOptions, {0, 121, 82, 181}},
    {MainMenuButton::WebcamOptions, {82, 121, 160, 181}},
    {MainMenuButton::Hide, {0, 181, 82, 240}},
    {MainMenuButton::Exit, {82, 181, 160, 240}},
}};

constexpr std::array<SetupBarButton, 5> kAutomaticBar{{
    {1, 110, 178, SetupBarAction::ToggleCalibrationHold},
    {2, 198, 265, SetupBarAction::OpenMouseOptions},
    {3, 287, 353, SetupBarAction::OpenWebcamOptions},
    {4, 371, 539, SetupBarAction::SwitchToManual},
    {5, 555, 625, SetupBarAction::OpenExitConfirmation},
}};

constexpr std::array<SetupBarButton, 6> kManualBar{{
    {1, 16, 83, SetupBarAction::ClearEyeMarks},
    {2, 102, 227, SetupBarAction::StartWithMarkedEyes},
    {3, 245, 313, SetupBarAction::OpenMouseOptions},
    {4, 329, 395, SetupBarAction::OpenWebcamOptions},
    {5, 414, 538, SetupBarAction::SwitchToAutomatic},
    {6, 556, 623, SetupBarAction::OpenExitConfirmation},
}};

constexpr SkinFont kBarLabelFont{20, 10, FontWeight::Bold, Underline::No};
constexpr SkinFont kBarDetailFont{15, 10, FontWeight::Bold, Underline::No};
constexpr SkinFont kBarManualFont{35, 15, FontWeight::Bold, Underline::No};
constexpr SkinFont kCountdownFont{40, 17, FontWeight::Bold, Underline::No};
constexpr ScreenPoint kCountdownOrigin{103, 15};

ScreenRect CentredIn(const ScreenRect& area, ScreenSize size) {
    const int left = area.left + (area.right - area.left - size.width) / 2;
    const int top = area.top + (area.bottom - area.top - size.height) / 2;
    return {left, top, left + size.width, top + size.height};
}

ScreenPoint ToClient(ScreenPoint screenPoint, const ScreenRect& window) {
    return {screenPoint.x - window.left, screenPoint.y - window.top};
}

}  // namespace

std::span<const SetupBarButton> SetupBarButtons(SetupBarKind bar) {
    if (bar == SetupBarKind::Automatic) {
        return kAutomaticBar;
    }
    return kManualBar;
}

std::optional<SetupBarButton> SetupBarButtonAt(SetupBarKind bar, ScreenPoint clientPoint) {
    if (clientPoint.y < kSetupButtonsTopY || clientPoint.y >= kSetupButtonsBottomY) {
        return std::nullopt;
    }
    for (const SetupBarButton& button : SetupBarButtons(bar)) {
        if (button.leftX <= clientPoint.x && clientPoint.x < button.rightX) {
            return button;
        }
    }
    return std::nullopt;
}

ScreenRect SetupBarButtonRect(const SetupBarButton& button) {
    return {button.leftX, kSetupButtonsTopY, button.rightX, kSetupButtonsBottomY};
}

std::string_view CaptureFormatName(FrameLayout layout) {
    switch (layout) {
        case FrameLayout::I420:
            return "YUV420";
        case FrameLayout::Yuy2:
            return "YUV400";
        case FrameLayout::Rgb24BottomUp:
            break;
    }
    return "RGB";
}

std::vector<SkinText> AutomaticBarTexts(FrameLayout layout, const Lexicon& lexicon) {
    const SetupBarButton& manualButton = kAutomaticBar[3];
    const std::string& manual = lexicon.text(LexiconKey::Manual);
    const int manualWidthPx = kBarManualFont.widthPx * static_cast<int>(CharacterCount(manual));
    const int manualX =
        manualButton.leftX + (manualButton.rightX - manualButton.leftX - manualWidthPx) / 2;
    return {
        {"WebCam", {9, 490}, kBarLabelFont, kSetupBarTextBlue},
        {std::string(CaptureFormatName(layout)), {9, 515}, kBarDetailFont, kSetupBarTextBlue},
        {"640 x 480", {9, 535}, kBarDetailFont, kSetupBarTextBlue},
        {manual, {manualX, 500}, kBarManualFont, kSetupBarTextBlue},
    };
}

float FixedFormScale(MainWindowForm form, const ScreenRect& workArea, float desktopScale) {
    const ScreenSize area{workArea.right - workArea.left, workArea.bottom - workArea.top};
    switch (form) {
        case MainWindowForm::Startup:
            return FittingSizeFactor(desktopScale, kStartupFormSize, area);
        case MainWindowForm::RestartCountdown:
            return FittingSizeFactor(desktopScale, kRestartFormSize, area);
        case MainWindowForm::Docked:
        case MainWindowForm::ButtonMenu:
            break;
    }
    return 1.0f;
}

ScreenRect MainWindowFormRect(MainWindowForm form, const ScreenRect& workArea, float sizeFactor,
                              float desktopScale) {
    const float scale = FixedFormScale(form, workArea, desktopScale);
    switch (form) {
        case MainWindowForm::Startup:
            return CentredIn(
                workArea, ScaleDesignSize(kStartupFormSize.width, kStartupFormSize.height, scale));
        case MainWindowForm::RestartCountdown:
            return CentredIn(
                workArea, ScaleDesignSize(kRestartFormSize.width, kRestartFormSize.height, scale));
        case MainWindowForm::Docked: {
            const int left = workArea.right - ScaleDesignUnits(160, sizeFactor);
            const int top = workArea.bottom - ScaleDesignUnits(122, sizeFactor);
            return {left, top, left + ScaleDesignUnits(160, sizeFactor),
                    top + ScaleDesignUnits(120, sizeFactor)};
        }
        case MainWindowForm::ButtonMenu:
            break;
    }
    return {workArea.right - ScaleDesignUnits(160, sizeFactor),
            workArea.bottom - ScaleDesignUnits(240, sizeFactor), workArea.right, workArea.bottom};
}

std::optional<MainMenuButton> MainMenuButtonAt(ScreenPoint clientPoint, float sizeFactor) {
    return HitTable<MainMenuButton>(kMenuCells, sizeFactor).Hit(clientPoint);
}

std::span<const HitCell<MainMenuButton>> MainMenuCells() {
    return kMenuCells;
}

ScreenRect MainMenuButtonRect(MainMenuButton button, float sizeFactor) {
    return ScaleDesignRect(kMenuCells[static_cast<std::size_t>(button)].design, sizeFactor);
}

MainWindowLogic::MainWindowLogic(ShellActionsPort& actions, const DesktopPort& desktop,
                                 const Settings& settings, OpenWindows& openWindows)
    : actions_(actions), desktop_(desktop), settings_(settings), openWindows_(openWindows) {}

void MainWindowLogic::RecordForm(MainWindowForm form) {
    form_ = form;
    openWindows_.mainWindowButtonMenu = form == MainWindowForm::ButtonMenu;
    openWindows_.restartCountdown = form == MainWindowForm::RestartCountdown;
}

void MainWindowLogic::EnterForm(MainWindowForm form) {
    // The tracking loop asks for the form it wants on every frame; only a
    // change of form forgets the hovered button.
    if (form != form_) {
        ClearHover();
    }
    RecordForm(form);
    actions_.showForm(form);
}

ScreenRect MainWindowLogic::FormRect() const {
    // The primary monitor's corner, never a corner of the bounding box of all
    // monitors, which may lie on none.
    return MainWindowFormRect(form_, PrimaryWorkArea(desktop_.monitors(), desktop_.workArea()),
                              settings_.sizeFactor, settings_.desktopScale);
}

float MainWindowLogic::formScale() const {
    return FixedFormScale(form_, PrimaryWorkArea(desktop_.monitors(), desktop_.workArea()),
                          settings_.desktopScale);
}

ScreenPoint MainWindowLogic::ToFormPixels(ScreenPoint devicePoint) const {
    return DesignPointAt(devicePoint, formScale());
}

void MainWindowLogic::ClearHover() {
    hoveredButton_.reset();
    hoveredSetupButton_.reset();
}

Repaint MainWindowLogic::OnPointerMoved(ScreenPoint devicePoint) {
    const ScreenPoint clientPoint = ToFormPixels(devicePoint);
    switch (form_) {
        case MainWindowForm::ButtonMenu: {
            const std::optional<MainMenuButton> hovered =
                MainMenuButtonAt(clientPoint, settings_.sizeFactor);
            if (hovered == hoveredButton_) {
                return Repaint::NotNeeded;
            }
            hoveredButton_ = hovered;
            return Repaint::Needed;
        }
        case MainWindowForm::Startup: {
            const std::optional<SetupBarButton> hovered = SetupBarButtonAt(setupBar_, clientPoint);
            if (hovered == hoveredSetupButton_) {
                return Repaint::NotNeeded;
            }
            hoveredSetupButton_ = hovered;
            return Repaint::Needed;
        }
        case MainWindowForm::RestartCountdown:
            if (countdownRunning_ && StrictlyInside(kRestartCancelBox, clientPoint)) {
                StopCountdown();
                EnterForm(MainWindowForm::Docked);
                actions_.setMainWindowVisibility(Visibility::Shown);
                return Repaint::Needed;
            }
            return Repaint::NotNeeded;
        case MainWindowForm::Docked:
            break;
    }
    return Repaint::NotNeeded;
}

void MainWindowLogic::OnLeftButtonDown(ScreenPoint devicePoint) {
    const ScreenPoint clientPoint = ToFormPixels(devicePoint);
    if (form_ == MainWindowForm::ButtonMenu) {
        if (const auto button = MainMenuButtonAt(clientPoint, settings_.sizeFactor)) {
            Press(*button);
        }
    } else if (form_ == MainWindowForm::Startup) {
        if (const auto button = SetupBarButtonAt(setupBar_, clientPoint)) {
            Press(button->action);
        }
    }
}

Repaint MainWindowLogic::ClearHighlightUnlessOver(ScreenPoint screenPointer) {
    const ScreenPoint client = ToFormPixels(ToClient(screenPointer, FormRect()));
    if (hoveredButton_ && MainMenuButtonAt(client, settings_.sizeFactor) != hoveredButton_) {
        hoveredButton_.reset();
        return Repaint::Needed;
    }
    if (hoveredSetupButton_ && SetupBarButtonAt(setupBar_, client) != hoveredSetupButton_) {
        hoveredSetupButton_.reset();
        return Repaint::Needed;
    }
    return Repaint::NotNeeded;
}

bool MainWindowLogic::PopupOpen(PopupKind popup) const {
    switch (popup) {
        case PopupKind::About:
            return openWindows_.about;
        case PopupKind::WebcamOptions:
            return openWindows_.webcamOptions;
        case PopupKind::MouseOptions:
            return openWindows_.mouseOptions;
        case PopupKind::SystemOptions:
            return openWindows_.systemOptions;
        case PopupKind::Pause:
            return openWindows_.pause;
        case PopupKind::ExitConfirmation:
            return openWindows_.exitConfirmation;
        case PopupKind::Warning:
            return openWindows_.warning;
        case PopupKind::Notice:
            return openWindows_.notice;
        case PopupKind::LoadingBar:
        case PopupKind::ManualEyePositions:
            break;
    }
    return false;
}

void MainWindowLogic::OpenFromMenu(PopupKind popup) {
    if (PopupOpen(popup)) {
        return;
    }
    openWindows_.mainWindowButtonMenu = false;
    actions_.openPopup(popup, PopupOrigin::ButtonMenu);
}

void MainWindowLogic::OpenFromSetupBar(PopupKind popup) {
    if (PopupOpen(popup)) {
        return;
    }
    ClearHover();
    actions_.closePopup(PopupKind::LoadingBar);
    actions_.setMainWindowVisibility(Visibility::Hidden);
    actions_.setTrackingState(TrackingRequest::Suspended);
    actions_.openPopup(popup, setupBar_ == SetupBarKind::Automatic ? PopupOrigin::SetupBarAutomatic
                                                                   : PopupOrigin::SetupBarManual);
}

void MainWindowLogic::Press(MainMenuButton button) {
    switch (button) {
        case MainMenuButton::Restart:
            openWindows_.mainWindowButtonMenu = false;
            actions_.setMainWindowVisibility(Visibility::Hidden);
            actions_.setTrackingState(TrackingRequest::Reset);
            break;
        case MainMenuButton::PauseOrResume:
            if (actions_.trackingPaused()) {
                actions_.setTrackingState(settings_.trasPausa ? TrackingRequest::Reset
                                                              : TrackingRequest::Track);
                actions_.repaintMainWindow();
            } else if (!PopupOpen(PopupKind::Pause)) {
                actions_.setMainWindowVisibility(Visibility::Hidden);
                OpenFromMenu(PopupKind::Pause);
            }
            break;
        case MainMenuButton::SystemOptions:
            OpenFromMenu(PopupKind::SystemOptions);
            break;
        case MainMenuButton::About:
            OpenFromMenu(PopupKind::About);
            break;
        case MainMenuButton::MouseOptions:
            OpenFromMenu(PopupKind::MouseOptions);
            break;
        case MainMenuButton::WebcamOptions:
            OpenFromMenu(PopupKind::WebcamOptions);
            break;
        case MainMenuButton::Hide:
            openWindows_.mainWindowButtonMenu = false;
            openWindows_.mainWindowHiddenByUser = true;
            actions_.setMainWindowVisibility(Visibility::Hidden);
            break;
        case MainMenuButton::Exit:
            OpenFromMenu(PopupKind::ExitConfirmation);
            break;
    }
}

void MainWindowLogic::Press(SetupBarAction action) {
    switch (action) {
        case SetupBarAction::ToggleCalibrationHold:
            calibrationHold_ = !calibrationHold_;
            actions_.setCalibrationHold(calibrationHold_);
            markerGridShown_ = calibrationHold_;
            if (calibrationHold_) {
                actions_.startTimer(MainWindowTimer::CalibrationBlink);
            } else {
                actions_.stopTimer(MainWindowTimer::CalibrationBlink);
            }
            actions_.repaintMainWindow();
            break;
        case SetupBarAction::OpenMouseOptions:
            OpenFromSetupBar(PopupKind::MouseOptions);
            break;
        case SetupBarAction::OpenWebcamOptions:
            OpenFromSetupBar(PopupKind::WebcamOptions);
            break;
        case SetupBarAction::OpenExitConfirmation:
            OpenFromSetupBar(PopupKind::ExitConfirmation);
            break;
        case SetupBarAction::SwitchToManual:
            ClearHover();
            actions_.closePopup(PopupKind::LoadingBar);
            actions_.setMainWindowVisibility(Visibility::Hidden);
            actions_.setTrackingState(TrackingRequest::Suspended);
            setupSwitchTarget_ = SetupBarKind::Manual;
            setupSwitchTicks_ = 0;
            actions_.startTimer(MainWindowTimer::SetupSwitch);
            break;
        case SetupBarAction::ClearEyeMarks:
            actions_.clearEyeMarks();
            StopEyesMarkedBlink();
            actions_.repaintMainWindow();
            break;
        case SetupBarAction::StartWithMarkedEyes:
            if (actions_.bothEyesMarked()) {
                StopEyesMarkedBlink();
                actions_.startTrackingWithMarkedEyes();
            }
            break;
        case SetupBarAction::SwitchToAutomatic:
            ClearHover();
            StopEyesMarkedBlink();
            actions_.closePopup(PopupKind::ManualEyePositions);
            setupSwitchTarget_ = SetupBarKind::Automatic;
            setupSwitchTicks_ = 0;
            actions_.startTimer(MainWindowTimer::SetupSwitch);
            break;
    }
}

void MainWindowLogic::OnCommand(MainWindowCommand command) {
    switch (command) {
        case MainWindowCommand::About:
            if (CommandAvailable(command)) {
                actions_.openPopup(PopupKind::About, PopupOrigin::ButtonMenu);
            }
            break;
        case MainWindowCommand::WebcamOptions:
        case MainWindowCommand::MouseOptions:
            if (form_ == MainWindowForm::Startup) {
                return;
            }
            actions_.hideCompanionWindow();
            if (CommandAvailable(command)) {
                actions_.openPopup(command == MainWindowCommand::WebcamOptions
                                       ? PopupKind::WebcamOptions
                                       : PopupKind::MouseOptions,
                                   PopupOrigin::ButtonMenu);
            }
            break;
        case MainWindowCommand::Exit:
            actions_.setMainWindowVisibility(Visibility::Hidden);
            actions_.exitProgram();
            break;
        case MainWindowCommand::UserManual:
            if (CommandAvailable(command)) {
                actions_.openUserManual();
            }
            break;
    }
}

bool MainWindowLogic::CommandAvailable(MainWindowCommand command) const {
    switch (command) {
        case MainWindowCommand::About:
            return !PopupOpen(PopupKind::About);
        case MainWindowCommand::WebcamOptions:
            return form_ != MainWindowForm::Startup && !PopupOpen(PopupKind::WebcamOptions);
        case MainWindowCommand::MouseOptions:
            return form_ != MainWindowForm::Startup && !PopupOpen(PopupKind::MouseOptions);
        case MainWindowCommand::UserManual:
            return !openWindows_.webcamOptions && !openWindows_.mouseOptions &&
                   !openWindows_.systemOptions;
        case MainWindowCommand::Exit:
            break;
    }
    return true;
}

void MainWindowLogic::StartRestartCountdown() {
    if (countdownRunning_) {
        return;
    }
    countdownRunning_ = true;
    countdownDigit_ = kRestartCountdownStart;
    EnterForm(MainWindowForm::RestartCountdown);
    actions_.setMainWindowVisibility(Visibility::Shown);
    actions_.startTimer(MainWindowTimer::RestartCountdown);
    actions_.repaintMainWindow();
}

void MainWindowLogic::StopCountdown() {
    actions_.stopTimer(MainWindowTimer::RestartCountdown);
    countdownRunning_ = false;
    countdownDigit_ = kRestartCountdownStart;
}

void MainWindowLogic::OnTimer(MainWindowTimer timer) {
    switch (timer) {
        case MainWindowTimer::RestartCountdown:
            if (!countdownRunning_) {
                actions_.stopTimer(timer);
            } else if (countdownDigit_ > 0) {
                --countdownDigit_;
                actions_.repaintMainWindow();
            } else {
                StopCountdown();
                actions_.setMainWindowVisibility(Visibility::Hidden);
                // Left without taking another form: the Reset that follows
                // brings the start-up form.
                RecordForm(MainWindowForm::Docked);
                actions_.setTrackingState(TrackingRequest::Reset);
            }
            break;
        case MainWindowTimer::CalibrationBlink:
            if (!calibrationHold_) {
                actions_.stopTimer(timer);
                break;
            }
            markerGridShown_ = !markerGridShown_;
            actions_.repaintMainWindow();
            break;
        case MainWindowTimer::SetupSwitch:
            if (!setupSwitchTarget_) {
                actions_.stopTimer(timer);
            } else if (++setupSwitchTicks_ >= 2) {
                FinishSetupSwitch();
            }
            break;
        case MainWindowTimer::OkFrameBlink:
            if (!eyesMarkedBlinking_) {
                actions_.stopTimer(timer);
                break;
            }
            eyesMarkedFrameGreen_ = !eyesMarkedFrameGreen_;
            actions_.repaintMainWindow();
            break;
    }
}

void MainWindowLogic::FinishSetupSwitch() {
    actions_.stopTimer(MainWindowTimer::SetupSwitch);
    const SetupBarKind target = *setupSwitchTarget_;
    setupSwitchTarget_.reset();
    setupSwitchTicks_ = 0;
    setupBar_ = target;
    if (target == SetupBarKind::Automatic) {
        actions_.setTrackingState(TrackingRequest::Detect);
        // Back to detection: the bar tells again where to move the face.
        actions_.openPopup(PopupKind::LoadingBar, PopupOrigin::SetupBarAutomatic);
    } else {
        actions_.openPopup(PopupKind::ManualEyePositions, PopupOrigin::SetupBarAutomatic);
    }
    actions_.repaintMainWindow();
    actions_.setMainWindowVisibility(Visibility::Shown);
}

void MainWindowLogic::SetSetupBar(SetupBarKind bar) {
    if (bar == setupBar_) {
        return;
    }
    setupBar_ = bar;
    hoveredSetupButton_.reset();
    if (bar == SetupBarKind::Automatic) {
        StopEyesMarkedBlink();
    }
    actions_.repaintMainWindow();
}

void MainWindowLogic::StartEyesMarkedBlink() {
    if (eyesMarkedBlinking_) {
        return;
    }
    eyesMarkedBlinking_ = true;
    eyesMarkedFrameGreen_ = true;
    actions_.startTimer(MainWindowTimer::OkFrameBlink);
    actions_.repaintMainWindow();
}

void MainWindowLogic::StopEyesMarkedBlink() {
    if (!eyesMarkedBlinking_) {
        return;
    }
    eyesMarkedBlinking_ = false;
    actions_.stopTimer(MainWindowTimer::OkFrameBlink);
}

RgbColour MainWindowLogic::eyesMarkedFrameColour() const {
    return eyesMarkedFrameGreen_ ? kEyesMarkedFrameGreen : kEyesMarkedFramePale;
}

std::string_view MainWindowLogic::menuSkin() const {
    return actions_.trackingPaused() ? kMenuSkinPaused : kMenuSkinTracking;
}

std::optional<ScreenRect> MainWindowLogic::hoverOutline() const {
    if (form_ == MainWindowForm::ButtonMenu && hoveredButton_) {
        return MainMenuButtonRect(*hoveredButton_, settings_.sizeFactor);
    }
    if (form_ == MainWindowForm::Startup && hoveredSetupButton_) {
        return SetupBarButtonRect(*hoveredSetupButton_);
    }
    return std::nullopt;
}

int MainWindowLogic::hoverOutlinePenWidth() const {
    return form_ == MainWindowForm::Startup ? kSetupBarOutlinePenWidth : kMenuOutlinePenWidth;
}

SkinText MainWindowLogic::CountdownText() const {
    return {std::to_string(countdownDigit_), kCountdownOrigin, kCountdownFont, kTextBlack};
}

}  // namespace veltranix
