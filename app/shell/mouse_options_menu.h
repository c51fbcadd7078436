#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/shell/options_menu.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"

namespace veltranix {

inline constexpr std::string_view kMouseMenuSkin = "MENU_OP_RATON";
// Wider than the other options menus by the scroll column.
inline constexpr int kMouseMenuDesignWidth = 686;
inline constexpr int kMouseMenuExtraWidthPx = 2;

// The offsets' and the dwell time's limits.
inline constexpr int kEyeOffsetLimit = 40;
inline constexpr int kMouthOffsetLimit = 30;
inline constexpr int kDwellSecondsMin = 2;
inline constexpr int kDwellSecondsMax = 8;
// The gesture holds the menu offers, shortest first; 0 is off (the frame
// the movement is seen).
inline constexpr std::array<std::int32_t, 5> kGestureHoldChoicesMs{0, 300, 500, 800, 1200};

enum class MouseControlKind {
    EyeOffsetUp,
    EyeOffsetDown,
    MouthOffsetUp,
    MouthOffsetDown,
    DwellUp,
    DwellDown,
    HoldShorter,
    HoldLonger,
    EyeTest,
    MouthTest,
    TriggerCell,
    ScrollSpeed,
    ClicMacro,
    MacroEditor,
    Ok,
    Cancel,
};

// A control of the mouse options menu; a gesture cell also names its row
// (eye, mouth, dwell) and its click kind (0 left ... 5 drag, 6 scroll); a
// scroll speed step its stored speed less one in `cell`.
struct MouseControl {
    MouseControlKind kind = MouseControlKind::Ok;
    GestureRow row = GestureRow::Eye;
    int cell = 0;
    friend bool operator==(const MouseControl&, const MouseControl&) = default;
};

std::optional<MouseControl> MouseControlAt(ScreenPoint clientPoint, float sizeFactor);
ScreenRect MouseControlRect(const MouseControl& control, float sizeFactor);
// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<MouseControl>> MouseControlCells();

// What the mouse options menu reads from and switches in the engine.
class MouseMenuEngine {
  public:
    virtual ~MouseMenuEngine() = default;
    // The gesture tests run for every click kind while switched on.
    virtual void setGestureTests(bool eyeTest, bool mouthTest) = 0;
    // The last still frame's activities; none when the frame measured none.
    virtual std::optional<double> eyeActivity() const = 0;
    virtual std::optional<double> mouthActivity() const = 0;
    virtual std::int32_t clickCount() const = 0;
    virtual double pointerTravelPixels() const = 0;
};

// The mouse options menu: which click each trigger makes (with the rule
// that always leaves a way to click), the eye and mouth level offsets, the
// dwell time, how long a gesture is held, the scroll speed, the test areas, macros in the
// click-type menu, the macro editor, two counters. Edits are live; OK stores the mouse group;
// cancel, and holding the pointer on cancel for 5 s, read it back. GUI thread.
class MouseOptionsMenu final : public OptionsMenu {
  public:
    static constexpr int kAnimationPeriodMs = 100;
    static constexpr int kDwellDemoPeriodMs = 500;
    static constexpr int kHeldCancelPeriodMs = 50;
    static constexpr int kHeldCancelTicks = 100;
    // The test area's flash after a click, in held-cancel ticks (700 ms).
    static constexpr int kFlashTicks = 14;
    enum Timer : std::size_t { Animation = 0, DwellDemo = 1, HeldCancel = 2 };

    MouseOptionsMenu(Settings& settings, SettingsPersistence& persistence, MouseMenuEngine& engine,
                     OptionsMenuHost& host);

    PopupKind kind() const override { return PopupKind::MouseOptions; }
    std::span<const int> timerPeriodsMs() const override;
    Repaint OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    Repaint OnTimer(std::size_t timer) override;
    OptionsMenuView View(const Lexicon& lexicon) const override;
    void OnClosedFromOutside() override;

    void Click(const MouseControl& control);
    std::optional<MouseControl> hovered() const { return hovered_; }
    int heldCancelCount() const { return heldCancelCount_; }
    int dwellDemoCounter() const { return dwellDemo_; }
    bool flashing() const { return flashTicks_ > 0; }

  private:
    void StepOffset(std::int32_t& offset, int limit, int step, int selector);
    void Close(MouseControlKind how);
    std::optional<std::string> DemoPicture(GestureRow row, int cell) const;

    Settings& settings_;
    SettingsPersistence& persistence_;
    MouseMenuEngine& engine_;
    OptionsMenuHost& host_;
    std::optional<MouseControl> hovered_;
    std::optional<MouseControlKind> testArea_;
    std::optional<MouseControlKind> flashArea_;
    int flashTicks_ = 0;
    int heldCancelCount_ = 0;
    int animation_ = 0;
    int dwellDemo_ = 0;
    std::optional<double> eyeActivity_;
    std::optional<double> mouthActivity_;
    bool closed_ = false;
};

}  // namespace veltranix
