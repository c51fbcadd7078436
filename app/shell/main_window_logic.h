#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "app/shell/shell_actions_port.h"
#include "app/shell/skin.h"
#include "capture/capture_frame.h"
#include "core/desktop_port.h"
#include "pointer/open_windows.h"
#include "settings/lexicon.h"
#include "settings/settings.h"

namespace veltranix {

// The start-up form: the camera picture with the set-up bar below it. Its
// sizes and the restart form's are pixels at 96 dpi, multiplied by the
// desktop scale (FixedFormScale); the hit tests take form pixels.
inline constexpr ScreenSize kStartupFormSize{640, 560};
inline constexpr int kSetupBarTopY = 477;
inline constexpr int kSetupBarHeight = 83;
// Set-up bar buttons are hit for kSetupButtonsTopY <= y < kSetupButtonsBottomY.
inline constexpr int kSetupButtonsTopY = 491;
inline constexpr int kSetupButtonsBottomY = 550;

// The restart countdown form (not scaled by the size factor).
inline constexpr ScreenSize kRestartFormSize{160, 120};
inline constexpr ScreenRect kRestartCancelBox{88, 62, 135, 109};
inline constexpr int kRestartCountdownStart = 10;

// Skin bitmaps of the main window.
inline constexpr std::string_view kMenuSkinTracking = "MENU_PRINCIPAL_PAUSA";
inline constexpr std::string_view kMenuSkinPaused = "MENU_PRINCIPAL";
inline constexpr std::string_view kRestartSkin = "RESET_0";
inline constexpr std::string_view kAutomaticBarSkin = "Boto3";
inline constexpr std::string_view kManualBarSkin = "Boto_ulls_ok";
// Drawn on the manual bar once both eyes are marked, inside a blinking frame.
inline constexpr std::string_view kEyesMarkedBitmap = "OK_ULL";
inline constexpr ScreenPoint kEyesMarkedBitmapOrigin{98, 485};
inline constexpr int kEyesMarkedFramePenWidth = 5;
inline constexpr RgbColour kEyesMarkedFrameGreen{0, 255, 0};
inline constexpr RgbColour kEyesMarkedFramePale{209, 248, 245};

// The button menu's eight buttons, row by row, left then right.
enum class MainMenuButton {
    Restart,
    PauseOrResume,
    SystemOptions,
    About,
    MouseOptions,
    WebcamOptions,
    Hide,
    Exit,
};

// The main window's commands, by the numbers a menu sends them with.
enum class MainWindowCommand : int {
    About = 32769,
    WebcamOptions = 32770,
    Exit = 32771,
    UserManual = 32772,
    MouseOptions = 32774,
};

// The set-up bar under the camera picture: automatic eye set-up, or the
// manual bar while the user marks the eyes by hand.
enum class SetupBarKind { Automatic, Manual };

enum class SetupBarAction {
    ToggleCalibrationHold,
    OpenMouseOptions,
    OpenWebcamOptions,
    SwitchToManual,
    OpenExitConfirmation,
    ClearEyeMarks,
    StartWithMarkedEyes,
    SwitchToAutomatic,
};

// One set-up bar button: hit for leftX <= x < rightX inside the buttons' band.
struct SetupBarButton {
    int number = 0;  // 1 from the left
    int leftX = 0;
    int rightX = 0;
    SetupBarAction action = SetupBarAction::ToggleCalibrationHold;
    friend bool operator==(const SetupBarButton&, const SetupBarButton&) = default;
};

std::span<const SetupBarButton> SetupBarButtons(SetupBarKind bar);
std::optional<SetupBarButton> SetupBarButtonAt(SetupBarKind bar, ScreenPoint clientPoint);
// The outline rectangle of a set-up bar button, in client pixels.
ScreenRect SetupBarButtonRect(const SetupBarButton& button);

// "RGB", "YUV420" or "YUV400", the name the automatic bar shows.
std::string_view CaptureFormatName(FrameLayout layout);
// The automatic bar's texts: "WebCam", the capture format, "640 x 480" and
// the text of key "manual" centred over button 4.
std::vector<SkinText> AutomaticBarTexts(FrameLayout layout, const Lexicon& lexicon);

// The factor the start-up and restart forms are drawn at: the desktop scale,
// or the largest at which the work area holds the form; 1 for the forms
// the size factor sizes.
float FixedFormScale(MainWindowForm form, const ScreenRect& workArea, float desktopScale);

// A form's screen rectangle (right = left + width, bottom = top + height).
ScreenRect MainWindowFormRect(MainWindowForm form, const ScreenRect& workArea, float sizeFactor,
                              float desktopScale);

// The button menu's hit table, client pixels of the menu form.
std::optional<MainMenuButton> MainMenuButtonAt(ScreenPoint clientPoint, float sizeFactor);
ScreenRect MainMenuButtonRect(MainMenuButton button, float sizeFactor);
// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<MainMenuButton>> MainMenuCells();

// The main window's logic: its form, the hovered button, the button menu's
// and the set-up bar's actions, the commands, the restart countdown and the
// set-up timers. GUI thread. Docking and the reveal of the hidden window are
// the tracking loop's; it calls EnterForm through the windows port.
class MainWindowLogic {
  public:
    MainWindowLogic(ShellActionsPort& actions, const DesktopPort& desktop, const Settings& settings,
                    OpenWindows& openWindows);

    // Switches to `form`: records it, keeps the open flags of the button
    // menu and the restart form and asks the window to take the form. The
    // loop calls it on every frame; the same form again keeps the hover.
    void EnterForm(MainWindowForm form);
    MainWindowForm form() const { return form_; }
    // The current form's rectangle for the current work area and size.
    ScreenRect FormRect() const;
    // The current form's FixedFormScale: device pixels per form pixel.
    float formScale() const;

    // Pointer events in device pixels of the current form's client area.
    Repaint OnPointerMoved(ScreenPoint devicePoint);
    void OnLeftButtonDown(ScreenPoint devicePoint);
    // From the tracking loop each frame (screen pixels): forgets the hovered
    // button unless the pointer is still over it.
    Repaint ClearHighlightUnlessOver(ScreenPoint screenPointer);

    void Press(MainMenuButton button);
    void Press(SetupBarAction action);
    void OnCommand(MainWindowCommand command);
    // Whether `command` would act now: the options menus not in the
    // start-up form nor while already open, the manual not while an options
    // menu is open, about not while open; exit always.
    bool CommandAvailable(MainWindowCommand command) const;
    void OnTimer(MainWindowTimer timer);

    // The automatic restart: the countdown form, counting from 10.
    void StartRestartCountdown();
    bool restartCountdownRunning() const { return countdownRunning_; }
    int countdownDigit() const { return countdownDigit_; }

    bool hiddenByUser() const { return openWindows_.mainWindowHiddenByUser; }
    void EndHiddenByUser() { openWindows_.mainWindowHiddenByUser = false; }

    SetupBarKind setupBar() const { return setupBar_; }
    // The manual eye positions window shows its bar while the user marks.
    void SetSetupBar(SetupBarKind bar);
    bool calibrationHold() const { return calibrationHold_; }
    // The marker grid's blink phase while the calibration is held.
    bool markerGridShown() const { return markerGridShown_; }
    // Both eyes marked: the frame around "OK_ULL" blinks; stopped when the
    // marks are cleared or the manual bar is left.
    void StartEyesMarkedBlink();
    void StopEyesMarkedBlink();
    bool eyesMarkedBlinking() const { return eyesMarkedBlinking_; }
    RgbColour eyesMarkedFrameColour() const;

    // What to paint.
    std::string_view menuSkin() const;
    std::optional<MainMenuButton> hoveredButton() const { return hoveredButton_; }
    std::optional<SetupBarButton> hoveredSetupButton() const { return hoveredSetupButton_; }
    // The outline to draw, if any, in form pixels, and its pen.
    std::optional<ScreenRect> hoverOutline() const;
    int hoverOutlinePenWidth() const;
    // The countdown digit of the restart form.
    SkinText CountdownText() const;

  private:
    void OpenFromMenu(PopupKind popup);
    void OpenFromSetupBar(PopupKind popup);
    bool PopupOpen(PopupKind popup) const;
    void StopCountdown();
    void FinishSetupSwitch();
    void RecordForm(MainWindowForm form);
    void ClearHover();
    ScreenPoint ToFormPixels(ScreenPoint devicePoint) const;

    ShellActionsPort& actions_;
    const DesktopPort& desktop_;
    const Settings& settings_;
    OpenWindows& openWindows_;

    MainWindowForm form_ = MainWindowForm::Startup;
    std::optional<MainMenuButton> hoveredButton_;
    std::optional<SetupBarButton> hoveredSetupButton_;

    bool countdownRunning_ = false;
    int countdownDigit_ = kRestartCountdownStart;

    SetupBarKind setupBar_ = SetupBarKind::Automatic;
    bool calibrationHold_ = false;
    bool markerGridShown_ = false;
    // The bar the set-up switch leads to, while its timer runs.
    std::optional<SetupBarKind> setupSwitchTarget_;
    int setupSwitchTicks_ = 0;
    bool eyesMarkedBlinking_ = false;
    bool eyesMarkedFrameGreen_ = true;
};

}  // namespace veltranix
