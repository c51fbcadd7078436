#pragma once

#include "core/clock.h"
#include "core/desktop_port.h"
#include "core/feedback_port.h"
#include "core/input_port.h"
#include "core/macro_player_port.h"
#include "core/program_folder.h"
#include "pointer/click_executor.h"
#include "pointer/click_type_menu.h"
#include "pointer/dwell_clock.h"
#include "pointer/head_shake_detector.h"
#include "pointer/open_windows.h"
#include "pointer/scroll_mode.h"
#include "pointer/trigger_dispatcher.h"
#include "settings/settings.h"

namespace veltranix {

struct PointerActionPorts {
    PointerInputPort& input;
    const DesktopPort& desktop;
    CursorPort& cursors;
    SoundPort& sound;
    MacroPlayerPort& macros;
    Clock& clock;
    ClickMenuWindowPort& menuWindow;
    const WindowAtPointPort& windowAtPoint;
};

// Every pointer-action component, wired together, for the tracking loop to
// own. The window flags and the keyboard state belong to the user interface
// and are only referred to. GUI thread.
struct PointerActions {
    PointerActions(PointerActionPorts ports, Settings& settings, const ProgramFolder& folder,
                   const OpenWindows& openWindows, KeyboardCooperation& keyboards)
        : menu(ports.menuWindow, ports.desktop, settings),
          cursorFeedback(ports.cursors, settings, folder),
          scroll(ports.input, settings),
          clicks({ports.input, ports.desktop, ports.sound, ports.macros, ports.clock}, settings,
                 folder, menu, cursorFeedback, scroll),
          dwellClock(ports.clock, settings, cursorFeedback, openWindows, menu),
          dispatcher({ports.desktop, ports.macros, ports.windowAtPoint, settings, openWindows,
                      keyboards, menu, clicks, dwellClock}),
          headShake(ports.desktop.screenSize(), settings, ports.sound, folder) {}

    ClickTypeMenu menu;
    CursorFeedback cursorFeedback;
    ScrollMode scroll;
    ClickExecutor clicks;
    DwellClock dwellClock;
    TriggerState triggers;
    TriggerDispatcher dispatcher;
    HeadShakeDetector headShake;
};

}  // namespace veltranix
