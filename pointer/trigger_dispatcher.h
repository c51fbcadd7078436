#pragma once

#include <cstdint>

#include "core/desktop_port.h"
#include "core/macro_player_port.h"
#include "pointer/click_executor.h"
#include "pointer/click_type_menu.h"
#include "pointer/dwell_clock.h"
#include "pointer/open_windows.h"
#include "settings/settings.h"

namespace veltranix {

// The source of a dispatched trigger, as the statistics log records it.
enum class GestureSource : int { None = -1, Eye = 0, Mouth = 1, Dwell = 2 };

struct TriggerDispatcherParts {
    const DesktopPort& desktop;
    const MacroPlayerPort& macros;
    const WindowAtPointPort& windowAtPoint;
    const Settings& settings;
    const OpenWindows& openWindows;
    KeyboardCooperation& keyboards;
    ClickTypeMenu& menu;
    ClickExecutor& clicks;
    DwellClock& dwellClock;
};

// Decides what a fired trigger clicks: the bound kind, or a plain left click
// over the program's own windows and the companion keyboard, or the click-type
// menu and later the kind chosen in it; while the head scrolls, any trigger
// ends the scrolling instead. GUI thread.
class TriggerDispatcher {
  public:
    explicit TriggerDispatcher(TriggerDispatcherParts parts);

    // Hands this frame's trigger, if any, to OnDwellTrigger: the eyes first,
    // then the mouth, then the dwell clock.
    GestureSource Dispatch(TriggerState& triggers);

    // Executes at most one click for a fired trigger bound to a click kind
    // (0..6), clears the frame's triggers and starts the post-click pause.
    void OnDwellTrigger(int clickKindIndex, TriggerState& triggers);

  private:
    void Decide(int clickKindIndex);
    bool PointerOnEditingWindow(ScreenPoint pointer) const;
    bool PointerOnCompanionKeyboard(ScreenPoint pointer) const;

    TriggerDispatcherParts parts_;
};

}  // namespace veltranix
