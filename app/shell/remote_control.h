#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/shell/main_window_logic.h"
#include "app/shell/program_figures.h"
#include "app/shell/shell_actions_port.h"
#include "core/control_port.h"
#include "core/macro_player_port.h"
#include "macros/profiles.h"
#include "pointer/open_windows.h"
#include "pointer/pointer_actions.h"
#include "tracking/tracking_loop.h"

namespace veltranix {

struct RemoteControlParts {
    ShellActionsPort& actions;
    MainWindowLogic& mainWindow;
    const TrackingShared& shared;
    const OpenWindows& openWindows;
    PointerActions& pointer;
    const MacroPlayerPort& macros;
    Profiles& profiles;
    std::function<double()> framesPerSecond;
    std::function<std::string()> pointerBackend;
};

// The requests of other programs, carried out as the user's own buttons
// and triggers carry them out. GUI thread, between frames.
class RemoteControl final : public ControlPort {
  public:
    explicit RemoteControl(RemoteControlParts parts) : parts_(std::move(parts)) {}

    ControlAnswer pause() override;
    ControlAnswer resume() override;
    ControlAnswer togglePause() override;
    ControlAnswer recentre() override;
    ControlAnswer click(std::string_view kindName) override;
    ControlAnswer setProfile(std::string_view name) override;
    ControlStatus status() const override;

  private:
    // A window of the program that the user answers with the pointer.
    bool windowHasUser() const;

    RemoteControlParts parts_;
};

}  // namespace veltranix
