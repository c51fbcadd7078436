#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/options_menu.h"
#include "app/shell/warning_window.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"

namespace veltranix {

inline constexpr std::string_view kWebcamMenuSkin = "MENUOPCIONS";

// The webcam options menu's controls, in hit-test order.
enum class WebcamControl {
    InvertNormal,
    InvertMirrored,
    Speed1,
    Speed2,
    Speed3,
    Range1,
    Range2,
    Range3,
    ModeDisabled,
    ModeRelative,
    ModeAbsolute,
    Ok,
    Cancel,
    CameraPrevious,
    CameraNext,
};

std::optional<WebcamControl> WebcamControlAt(ScreenPoint clientPoint, float sizeFactor);
ScreenRect WebcamControlRect(WebcamControl control, float sizeFactor);
// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<WebcamControl>> WebcamControlCells();

// A capture device as the camera row offers it.
struct CameraChoice {
    std::string path;  // what the settings store: the device's stable path
    std::string name;  // the driver's name for it, shown in words
};

struct CameraChoices {
    std::vector<CameraChoice> cameras;
    std::string pathInUse;  // empty when the camera in use is none of them
};

// The machine's cameras for the webcam menu's camera row. GUI thread.
class CameraChoicePort {
  public:
    virtual ~CameraChoicePort() = default;
    // Listed when the menu opens.
    virtual CameraChoices listCameras() = 0;
    // After OK stored another camera: close the camera in use and open that one.
    virtual void openStoredCamera() = 0;
};

// The webcam options menu: mirror, speed, range and pointer mode, each click
// live at once; OK stores the webcam group, cancel reads it back. Switching
// head movement off asks first through the warning window. The camera row
// steps through the cameras by name and marks the one in use; the camera
// chosen is opened after OK, so that one that does not see the user cannot
// strand them inside the menu. GUI thread.
class WebcamOptionsMenu final : public OptionsMenu {
  public:
    static constexpr int kAnimationPeriodMs = 200;
    static constexpr int kFirstAnimationFrame = 1;
    static constexpr int kLastAnimationFrame = 26;

    // Without `cameras` the camera row offers none.
    WebcamOptionsMenu(Settings& settings, SettingsPersistence& persistence, OptionsMenuHost& host,
                      CameraChoicePort* cameras = nullptr);

    PopupKind kind() const override { return PopupKind::WebcamOptions; }
    std::span<const int> timerPeriodsMs() const override;
    Repaint OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    Repaint OnTimer(std::size_t timer) override;
    OptionsMenuView View(const Lexicon& lexicon) const override;
    void OnClosedFromOutside() override;

    // The warning's answer: OK switches head movement off; cancel undoes the
    // click. The menu is shown again either way.
    void OnWarningAnswer(WarningChoice choice);

    void Click(WebcamControl control);
    std::optional<WebcamControl> hovered() const { return hovered_; }
    int relativeFrame() const { return relativeFrame_; }
    int absoluteFrame() const { return absoluteFrame_; }
    // The camera the row shows; none when there is no camera to choose.
    const CameraChoice* shownCamera() const;

  private:
    void StepCamera(int step);

    Settings& settings_;
    SettingsPersistence& persistence_;
    OptionsMenuHost& host_;
    std::array<WebcamChoiceRow, 4> backup_;
    CameraChoicePort* cameraPort_;
    CameraChoices cameras_;
    std::size_t cameraIndex_ = 0;
    std::string storedCamera_;  // the settings' camera when the menu opened
    std::optional<WebcamControl> hovered_;
    int relativeFrame_ = kFirstAnimationFrame;
    int absoluteFrame_ = kFirstAnimationFrame;
    bool closed_ = false;
};

}  // namespace veltranix
