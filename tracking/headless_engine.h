#pragma once

#include <filesystem>

#include "core/program_folder.h"
#include "pointer/pointer_actions.h"
#include "settings/settings.h"
#include "tracking/engine_stages.h"
#include "tracking/headless_ports.h"
#include "tracking/manual_clock.h"
#include "tracking/stats_log.h"
#include "tracking/tracking_loop.h"

namespace veltranix {

// The whole frame-to-click path with recording ports and a clock that moves
// only when told: the tracking loop, the real stages and the pointer
// actions. For the replay tool, tests and benchmarks; one thread.
struct HeadlessEngine {
    HeadlessEngine(Settings& engineSettings, TrackingSettingsActions& settingsActions,
                   MacroPlayerPort& macroPlayer, ScreenSize screen,
                   const std::filesystem::path& cascadeFile, const ProgramFolder& folder,
                   SystemTime start, StatsLog* statsLog = nullptr)
        : settings(engineSettings),
          clock(start),
          desktop(screen),
          input(desktop),
          windows(clock),
          actions({input, desktop, cursors, sound, macroPlayer, clock, menuWindow, windowAtPoint},
                  engineSettings, folder, openWindows, keyboards),
          stages(engineSettings, actions, clock, cascadeFile, statsLog),
          loop(engineSettings, shared,
               {clock, desktop, companion, windows, userInterface, settingsActions},
               stages.stages(), cascadeFile) {}

    // One camera frame: the main window's timers that are due first, as the
    // window's message loop would run them between frames, then the loop.
    bool OnFrame(CaptureFrame& frame, const PixelOffsetTable& table) {
        const WindowTimerEvents events = windows.runTimers();
        if (events.headPauseCooldownEnded) {
            loop.endHeadPauseCooldown();
        }
        if (events.restartCountdownEnded) {
            shared.state.store(TrackingState::Reset);
        }
        return loop.OnFrame(frame, table);
    }

    Settings& settings;
    TrackingShared shared;
    ManualClock clock;
    HeadlessDesktop desktop;
    HeadlessPointerInput input;
    HeadlessCursors cursors;
    HeadlessSound sound;
    HeadlessCompanion companion;
    HeadlessTrackingWindows windows;
    HeadlessUserInterface userInterface;
    HeadlessClickMenuWindow menuWindow;
    HeadlessWindowAtPoint windowAtPoint;
    OpenWindows openWindows;
    KeyboardCooperation keyboards;
    PointerActions actions;
    EngineTrackStages stages;
    TrackingLoop loop;
};

}  // namespace veltranix
