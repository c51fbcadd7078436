#pragma once

#include <optional>
#include <string_view>

#include "app/shell/shell_actions_port.h"
#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix {

// The two yes/no windows: the pause window and the exit confirmation.
enum class ConfirmationKind { Pause, Exit };

// Which skin bitmap the window shows: plain, or with yes or no lit.
enum class ConfirmationBitmap { Plain, Yes, No };

enum class ConfirmationZone { Yes, No };

// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<ConfirmationZone>> ConfirmationZoneCells();

// Design size of both windows (160 x 120 design units).
inline constexpr int kConfirmationDesignWidth = 160;
inline constexpr int kConfirmationDesignHeight = 120;

// The logic of the pause window and the exit confirmation: the hovered zone,
// the bitmap, the question, and what yes and no do. GUI thread.
class ConfirmationWindow {
  public:
    ConfirmationWindow(ConfirmationKind kind, PopupOrigin origin, float sizeFactor,
                       ShellActionsPort& actions);

    // The zone strictly containing a client point, if any.
    std::optional<ConfirmationZone> ZoneAt(ScreenPoint clientPoint) const;

    // Repaint is needed only when the bitmap changes.
    Repaint OnPointerMoved(ScreenPoint clientPoint);
    // Acts on a click in the yes or no zone; elsewhere nothing.
    void OnLeftButtonDown(ScreenPoint clientPoint);

    ConfirmationBitmap bitmap() const { return bitmap_; }
    // "PAUSE", "PAUSE_TRUE", "PAUSE_FALSE" or "SALIDA", "SALIDA_TRUE", "SALIDA_FALSE".
    std::string_view bitmapName() const;
    // "%s ?" of key "pause" or "exit", centred at 15 s pixels per character.
    SkinText Question(const Lexicon& lexicon) const;

  private:
    void Yes();
    void No();

    ConfirmationKind kind_;
    PopupOrigin origin_;

  public:
    PopupOrigin origin() const { return origin_; }
    float sizeFactor_;
    ShellActionsPort& actions_;
    ConfirmationBitmap bitmap_ = ConfirmationBitmap::Plain;
};

}  // namespace veltranix
