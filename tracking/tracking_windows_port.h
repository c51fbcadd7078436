#pragma once

#include <cstdint>
#include <optional>

#include "capture/capture_frame.h"
#include "core/geometry.h"

namespace veltranix {

enum class Visibility { Hidden, Shown };

// What the tracking loop does to the program's windows and asks of them.
// Called on the GUI thread, from inside the frame callback; implementations
// must not re-enter the loop.
class TrackingWindowsPort {
  public:
    virtual ~TrackingWindowsPort() = default;

    // Main window.
    virtual ScreenPoint mainWindowTopLeft() const = 0;
    // True while the main window shows its large start-up form (detection).
    virtual bool mainWindowInStartupForm() const = 0;
    // True after the user hid the main window with its hide button.
    virtual bool mainWindowHiddenByUser() const = 0;
    virtual void endMainWindowHidden() = 0;
    virtual void dockMainWindow() = 0;
    virtual void showMainMenuForm() = 0;
    // The 640 x 480 start-up form in the middle of the work area, camera view
    // at its origin, repainted.
    virtual void centerMainWindowLarge() = 0;
    virtual void setMainWindowVisibility(Visibility visibility) = 0;
    virtual void setCameraViewVisibility(Visibility visibility) = 0;
    // Clears a highlighted main-window button unless the pointer is over it.
    virtual void clearButtonHighlightUnlessHovered(ScreenPoint pointer) = 0;
    virtual void invalidateCameraView() = 0;

    // Popups.
    virtual bool anyPopupOpen() const = 0;
    // The pause window or one of the two options windows that keep the main
    // window where it is while they are open.
    virtual bool dockingHeldByPopup() const = 0;
    virtual bool restartCountdownShown() const = 0;
    // The automatic adjustment found the face drifted: the main window shows
    // its restart countdown, at whose end it sets the Reset state.
    virtual void startRestartCountdown() = 0;
    virtual void closeAllPopups() = 0;
    virtual void destroyGuideWindow() = 0;

    // The loading bar that shows the face position while detecting.
    virtual void openLoadingBar() = 0;
    virtual void closeLoadingBar() = 0;
    // Width in pixels of the loading bar's progress area.
    virtual int positionHintWidth() const = 0;

    // Manual eye positions view.
    virtual bool manualEyeViewActive() const = 0;
    virtual void drawManualEyeGuides(CaptureFrame& frame) = 0;
    virtual void leaveManualEyeView() = 0;

    // Starts the 2 s timer whose second tick calls
    // TrackingLoop::endHeadPauseCooldown.
    virtual void startHeadPauseCooldownTimer() = 0;
    // The companion keyboard's window, once it has handed it over.
    virtual std::optional<std::uint64_t> companionWindow() const = 0;
};

// What calibration and the reset write into the settings. GUI thread.
class TrackingSettingsActions {
  public:
    virtual ~TrackingSettingsActions() = default;
    // Stores the calibrated gesture levels and recomputes the thresholds.
    virtual void saveGestureLevels(std::int32_t nivellUll, std::int32_t nivellBoca) = 0;
    virtual void applyWebcamSettings() = 0;
};

}  // namespace veltranix
