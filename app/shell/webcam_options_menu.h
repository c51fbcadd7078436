#pragma once

#include <array>
#include <optional>

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
};

std::optional<WebcamControl> WebcamControlAt(ScreenPoint clientPoint, float sizeFactor);
ScreenRect WebcamControlRect(WebcamControl control, float sizeFactor);
// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<WebcamControl>> WebcamControlCells();

// The webcam options menu: mirror, speed, range and pointer mode, each click
// live at once; OK stores the webcam group, cancel reads it back. Switching
// head movement off asks first through the warning window. GUI thread.
class WebcamOptionsMenu final : public OptionsMenu {
  public:
    static constexpr int kAnimationPeriodMs = 200;
    static constexpr int kFirstAnimationFrame = 1;
    static constexpr int kLastAnimationFrame = 26;

    WebcamOptionsMenu(Settings& settings, SettingsPersistence& persistence, OptionsMenuHost& host);

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

  private:
    Settings& settings_;
    SettingsPersistence& persistence_;
    OptionsMenuHost& host_;
    std::array<WebcamChoiceRow, 4> backup_;
    std::optional<WebcamControl> hovered_;
    int relativeFrame_ = kFirstAnimationFrame;
    int absoluteFrame_ = kFirstAnimationFrame;
    bool closed_ = false;
};

}  // namespace veltranix
