#pragma once

#include <atomic>
#include <optional>

#include "app/shell/options_menu.h"
#include "core/program_folder.h"
#include "core/user_interface_port.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"

namespace veltranix {

inline constexpr std::string_view kSystemMenuSkin = "SYSTEM";

// The system options menu's controls, in hit-test order.
enum class SystemControl {
    LanguageNext,
    LanguagePrevious,
    SoundYes,
    SoundNo,
    SizeSmall,
    SizeMedium,
    SizeBig,
    AutoPauseYes,
    AutoPauseNo,
    TrasPausa,
    AutoAjuste,
    Ok,
    Cancel,
    AutoStartYes,
    AutoStartNo,
};

std::optional<SystemControl> SystemControlAt(ScreenPoint clientPoint, float sizeFactor);
ScreenRect SystemControlRect(SystemControl control, float sizeFactor);
// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<SystemControl>> SystemControlCells();

struct SystemMenuServices {
    Settings& settings;
    Lexicon& lexicon;
    SettingsPersistence& persistence;
    ProgramFolder folder;
    UserInterfacePort& userInterface;
    // Set while tracking runs from hand-placed eyes: the automatic
    // adjustment stays off until the next automatic calibration.
    const std::atomic<bool>& handPlacedEyes;
};

// The system options menu: language (live, every window at once), sound,
// window size (after OK), automatic pause, start at log-on and the two
// reset switches. OK stores the system group and lays the windows out at
// the chosen size; cancel reads back the stored group and language. GUI thread.
class SystemOptionsMenu final : public OptionsMenu {
  public:
    static constexpr int kAnimationPeriodMs = 200;

    SystemOptionsMenu(SystemMenuServices services, OptionsMenuHost& host);

    PopupKind kind() const override { return PopupKind::SystemOptions; }
    std::span<const int> timerPeriodsMs() const override;
    Repaint OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    Repaint OnTimer(std::size_t timer) override;
    OptionsMenuView View(const Lexicon& lexicon) const override;
    void OnClosedFromOutside() override;

    void Click(SystemControl control);
    int languageIndex() const { return languageIndex_; }
    int pauseFrame() const { return pauseFrame_; }
    std::optional<SystemControl> hovered() const { return hovered_; }

  private:
    void StepLanguage(int step);
    void Finish(SystemControl button);

    SystemMenuServices services_;
    OptionsMenuHost& host_;
    int languageIndex_ = 0;
    int pauseFrame_ = 0;
    int pauseStep_ = 1;
    std::optional<SystemControl> hovered_;
    bool closed_ = false;
};

}  // namespace veltranix
