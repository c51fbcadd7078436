#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/desktop_port.h"
#include "core/exit_request.h"
#include "core/input_port.h"
#include "platform/linux/input_backend.h"

namespace veltranix {

class MutterRemoteDesktop;
class PointerWhereabouts;
class PortalRemoteDesktop;
class SinkKeyboardInput;
class UinputDevice;
class WaylandDesktop;
class XDesktop;
class XDisplayConnection;
class XKeyboardInput;
class XPointerInput;

// The session this program runs in, from its environment.
SessionKind SessionKindFromEnvironment();

// The pointer, the keyboard and the pointer's position, through the backend
// chosen at start. Created and destroyed on the GUI thread; the input ports
// may be used from any thread.
class InputChannel {
  public:
    // Null when not even XTest is there (the reason in `error`). A backend
    // that fails to open gives way to the next, with a line on stderr. The
    // desktop portal keeps its approval in `portalTokenFile` (none if empty);
    // its wait for a person's approval ends when `exitRequest` is raised.
    static std::unique_ptr<InputChannel> Open(std::shared_ptr<XDisplayConnection> x,
                                              SessionKind session,
                                              const std::filesystem::path& portalTokenFile,
                                              std::string* error,
                                              const ExitRequest* exitRequest = nullptr);
    ~InputChannel();

    PointerInputPort& pointer();
    KeyboardInputPort& keyboard();
    DesktopPort& desktop();
    InputBackend backend() const { return backend_; }
    // A line for the log and the about window: the backend, and for mutter
    // how many monitors it has streams for.
    std::string description() const;
    // False when native Wayland windows are out of reach (XTest in a Wayland session).
    bool reachesEveryWindow() const {
        return session_ == SessionKind::X11 || backend_ != InputBackend::XTest;
    }

  private:
    InputChannel() = default;

    SessionKind session_ = SessionKind::X11;
    InputBackend backend_ = InputBackend::XTest;
    std::unique_ptr<XDesktop> xDesktop_;
    std::unique_ptr<XPointerInput> xPointer_;
    std::unique_ptr<XKeyboardInput> xKeyboard_;
    std::unique_ptr<PointerWhereabouts> whereabouts_;
    std::unique_ptr<WaylandDesktop> waylandDesktop_;
    std::unique_ptr<MutterRemoteDesktop> mutter_;
    std::unique_ptr<PortalRemoteDesktop> portal_;
    std::unique_ptr<UinputDevice> uinput_;
    std::unique_ptr<SinkKeyboardInput> sinkKeyboard_;
};

}  // namespace veltranix
