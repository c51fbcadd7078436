#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "tracking/tracking_windows_port.h"

namespace veltranix {

// The tracking states the windows ask for; the numbers are TrackingState's.
enum class TrackingRequest : std::int32_t {
    Detect = 0,
    StartTracking = 2,
    Track = 3,
    Reset = 4,
    HeadPause = 8,
    Suspended = 9,
};

// The main window's forms.
enum class MainWindowForm { Startup, Docked, ButtonMenu, RestartCountdown };

// The program's popup windows.
enum class PopupKind {
    About,
    LoadingBar,
    WebcamOptions,
    MouseOptions,
    SystemOptions,
    Pause,
    ExitConfirmation,
    Warning,
    ManualEyePositions,
    // A message in words with its OK button.
    Notice,
};

// Where a popup was opened from: its place and what its closing brings back
// depend on it.
enum class PopupOrigin { ButtonMenu, SetupBarAutomatic, SetupBarManual };

// The main window's timers. The widget runs a timer from startTimer to
// stopTimer and forwards each tick to MainWindowLogic::OnTimer.
enum class MainWindowTimer { RestartCountdown, CalibrationBlink, SetupSwitch, OkFrameBlink };

constexpr int TimerPeriodMs(MainWindowTimer timer) {
    return timer == MainWindowTimer::RestartCountdown ? 1000 : 500;
}

// What the shell's window logic asks of the program. Implemented by the
// application on the GUI thread; every call returns before the logic goes on.
class ShellActionsPort {
  public:
    virtual ~ShellActionsPort() = default;

    // Tracking. Setting HeadPause also marks tracking as paused (the shared
    // paused flag); setting any other state clears that mark.
    virtual void setTrackingState(TrackingRequest state) = 0;
    // True while tracking is paused (the shared paused flag).
    virtual bool trackingPaused() const = 0;
    virtual void setCalibrationHold(bool hold) = 0;
    // The steadiness countdown of detection starts again from 0.
    virtual void restartSettling() = 0;
    // The manual eye positions window's marks.
    virtual bool bothEyesMarked() const = 0;
    virtual void clearEyeMarks() = 0;
    // Tracking starts from the marked eye positions (StartTracking) with the
    // automatic adjustment off.
    virtual void startTrackingWithMarkedEyes() = 0;

    // Main window. `showForm` moves and sizes the window to the form's
    // rectangle (MainWindowLogic::FormRect), shows the camera picture in the
    // start-up and docked forms and hides it in the others; it does not
    // change the window's visibility.
    virtual void showForm(MainWindowForm form) = 0;
    virtual void setMainWindowVisibility(Visibility visibility) = 0;
    virtual void repaintMainWindow() = 0;
    virtual void startTimer(MainWindowTimer timer) = 0;
    virtual void stopTimer(MainWindowTimer timer) = 0;

    // Popups. `openPopup` creates and shows the window (or shows it again if
    // it exists), places the pointer and confines it as PopupLayoutFor says.
    // `closePopup` destroys it and releases its confinement; nothing when it
    // is not open.
    virtual void openPopup(PopupKind popup, PopupOrigin origin) = 0;
    virtual void closePopup(PopupKind popup) = 0;

    // Moves the pointer by a number of pixels from where it is.
    virtual void movePointerBy(int dxPixels, int dyPixels) = 0;
    // Hides the companion keyboard's window, if it handed one over.
    virtual void hideCompanionWindow() = 0;
    // Opens the user manual of the current language.
    virtual void openUserManual() = 0;
    // The program's normal shutdown.
    virtual void exitProgram() = 0;
};

}  // namespace veltranix
