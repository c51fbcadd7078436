#pragma once

#include <string_view>

namespace veltranix {

enum class SessionKind { X11, Wayland };

// The ways the pointer and the keys can reach the user's applications.
enum class InputBackend {
    XTest,                // X11; in a Wayland session only XWayland windows
    MutterRemoteDesktop,  // GNOME's compositor, asked over the session bus
    RemoteDesktopPortal,  // the desktop portal, where it can keep the approval
    Uinput,               // virtual devices in the kernel: every compositor
};

// What start-up finds about the session.
struct InputBackendProbe {
    SessionKind session = SessionKind::X11;
    bool mutterPresent = false;
    // The portal's RemoteDesktop interface version; 0 when there is none.
    int portalVersion = 0;
    bool uinputOpens = false;
};

// The backend to try first: XTest on X11; in a Wayland session mutter's
// remote desktop, else the portal when it can persist its approval (version
// 2), else uinput, else XTest.
InputBackend ChooseInputBackend(const InputBackendProbe& probe);
// The backend to try once `refused` failed to open: `refused` is struck from
// `probe`, and the choice made again. XTest is never refused: it is the last.
InputBackend NextInputBackend(InputBackendProbe& probe, InputBackend refused);
std::string_view InputBackendName(InputBackend backend);

}  // namespace veltranix
