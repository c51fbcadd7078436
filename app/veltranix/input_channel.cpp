#include "app/veltranix/input_channel.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/linux/mutter_remote_desktop.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/portal_remote_desktop.h"
#include "platform/linux/remote_keyboard.h"
#include "platform/linux/uinput_device.h"
#include "platform/linux/x_desktop.h"
#include "platform/linux/x_keyboard_input.h"

namespace veltranix {
SessionKind SessionKindFromEnvironment() {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    const bool wayland = (sessionType != nullptr && std::string_view(sessionType) == "wayland") ||
                         (waylandDisplay != nullptr && *waylandDisplay != '\0');
    return wayland ? SessionKind::Wayland : SessionKind::X11;
}

std::unique_ptr<InputChannel> InputChannel::Open(std::shared_ptr<XDisplayConnection> x,
                                                 SessionKind session,
                                                 const std::filesystem::path& portalTokenFile,
                                                 std::string* error,
                                                 const ExitRequest* exitRequest) {
    std::unique_ptr<InputChannel> channel(new InputChannel);
    channel->session_ = session;
    channel->xDesktop_ = std::make_unique<XDesktop>(x);
    channel->xPointer_ = XPointerInput::Create(x);
    channel->xKeyboard_ = XKeyboardInput::Create(x);
    if (!channel->xPointer_ || !channel->xKeyboard_) {
        *error = "the X server lacks the XTest or XKB extension";
        return nullptr;
    }
    InputBackendProbe probe;
    probe.session = session;
    if (session == SessionKind::Wayland) {
        probe.mutterPresent = MutterRemoteDesktop::Present();
        probe.portalVersion = probe.mutterPresent ? 0 : PortalRemoteDesktop::Version();
        probe.uinputOpens = UinputDevice::CanOpen();
        const ScreenSize size = channel->xDesktop_->screenSize();
        channel->whereabouts_ =
            std::make_unique<PointerWhereabouts>(ScreenRect{0, 0, size.width, size.height});
        channel->whereabouts_->current(channel->xDesktop_->pointerPosition());
    }
    InputBackend backend = ChooseInputBackend(probe);
    std::string reason;
    if (backend == InputBackend::MutterRemoteDesktop) {
        channel->mutter_ = MutterRemoteDesktop::Open(*channel->whereabouts_, &reason);
        if (!channel->mutter_) {
            std::fprintf(stderr, "veltranix: GNOME's remote desktop refused: %s\n", reason.c_str());
            // The portal was not asked while mutter was there to try first.
            probe.portalVersion = PortalRemoteDesktop::Version();
            backend = NextInputBackend(probe, backend);
        }
    }
    if (backend == InputBackend::RemoteDesktopPortal) {
        channel->portal_ = PortalRemoteDesktop::Open(*channel->whereabouts_, portalTokenFile,
                                                     &reason, exitRequest);
        if (!channel->portal_) {
            std::fprintf(stderr, "veltranix: no remote desktop through the desktop portal: %s\n",
                         reason.c_str());
            backend = NextInputBackend(probe, backend);
        }
    }
    if (backend == InputBackend::Uinput) {
        channel->uinput_ = UinputDevice::Open(*channel->whereabouts_, &reason);
        if (!channel->uinput_) {
            std::fprintf(stderr, "veltranix: no virtual devices: %s\n", reason.c_str());
            backend = NextInputBackend(probe, backend);
        }
    }
    channel->backend_ = backend;
    KeyEventSink* sink = channel->mutter_   ? static_cast<KeyEventSink*>(channel->mutter_.get())
                         : channel->portal_ ? static_cast<KeyEventSink*>(channel->portal_.get())
                                            : static_cast<KeyEventSink*>(channel->uinput_.get());
    if (sink != nullptr) {
        channel->sinkKeyboard_ = std::make_unique<SinkKeyboardInput>(*sink, *channel->xKeyboard_);
        channel->waylandDesktop_ =
            std::make_unique<WaylandDesktop>(*channel->xDesktop_, *channel->whereabouts_);
    }
    return channel;
}

InputChannel::~InputChannel() = default;

PointerInputPort& InputChannel::pointer() {
    if (mutter_) {
        return *mutter_;
    }
    if (portal_) {
        return *portal_;
    }
    if (uinput_) {
        return *uinput_;
    }
    return *xPointer_;
}

KeyboardInputPort& InputChannel::keyboard() {
    if (sinkKeyboard_) {
        return *sinkKeyboard_;
    }
    return *xKeyboard_;
}

DesktopPort& InputChannel::desktop() {
    if (waylandDesktop_) {
        return *waylandDesktop_;
    }
    return *xDesktop_;
}

std::string InputChannel::description() const {
    std::string text(InputBackendName(backend_));
    if (mutter_) {
        const std::size_t monitors = mutter_->monitorAreas().size();
        text += monitors == 0
                    ? ", relative motion (no screen-cast stream)"
                    : ", " + std::to_string(monitors) + (monitors == 1 ? " monitor" : " monitors");
    }
    if (!reachesEveryWindow()) {
        text += ", X11 windows only";
    }
    return text;
}

}  // namespace veltranix
