#pragma once

#include "core/program_folder.h"
#include "pointer/click_executor.h"
#include "pointer/click_type_menu.h"
#include "pointer/dwell_clock.h"
#include "pointer/open_windows.h"
#include "pointer/pointer_actions.h"
#include "pointer/trigger_dispatcher.h"
#include "settings/settings.h"
#include "tests/support/engine_settings.h"
#include "tracking/headless_ports.h"
#include "tracking/manual_clock.h"

namespace veltranix::testing {

// The manual clock from 10:00, noting each sleep ("sleep 2") in the journal.
class JournalledClock : public ManualClock {
  public:
    explicit JournalledClock(PortLog& journal) : ManualClock({10, 0, 0, 0}), journal_(journal) {}
    void sleepMs(int durationMs) override {
        Note(&journal_, "sleep " + std::to_string(durationMs));
        ManualClock::sleepMs(durationMs);
    }

  private:
    PortLog& journal_;
};

// Every pointer-action component wired to recording fakes, on a 1280 x 1024
// screen, with one journal of all events in order.
struct PointerRig {
    PointerRig() {
        settings.so = 1;
        settings.clicMacro = 1;
        input.log = &journal;
        cursors.log = &journal;
        sound.log = &journal;
        macros.log = &journal;
        menuWindow.log = &journal;
    }

    // Binds one trigger row (eye, mouth, dwell) to one click kind only.
    void Bind(GestureRow row, int clickKindIndex) {
        auto& flags = settings.gestureClickMatrix[static_cast<int>(row)];
        flags.fill(0);
        flags[clickKindIndex] = 1;
    }

    Settings settings = FreshTrackingSettings();
    ProgramFolder folder{"/opt/veltranix"};
    PortLog journal;
    HeadlessDesktop desktop;
    HeadlessPointerInput input{desktop};
    HeadlessCursors cursors;
    HeadlessSound sound;
    HeadlessMacroPlayer macros;
    JournalledClock clock{journal};
    HeadlessClickMenuWindow menuWindow;
    HeadlessWindowAtPoint windowAtPoint;
    OpenWindows openWindows;
    KeyboardCooperation keyboards;

    PointerActions actions{
        {input, desktop, cursors, sound, macros, clock, menuWindow, windowAtPoint},
        settings,
        folder,
        openWindows,
        keyboards};
    ClickTypeMenu& menu = actions.menu;
    CursorFeedback& cursorFeedback = actions.cursorFeedback;
    ClickExecutor& clicks = actions.clicks;
    DwellClock& dwell = actions.dwellClock;
    TriggerState& triggers = actions.triggers;
    TriggerDispatcher& dispatcher = actions.dispatcher;
};

}  // namespace veltranix::testing
