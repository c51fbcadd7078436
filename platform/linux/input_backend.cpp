#include "platform/linux/input_backend.h"

namespace veltranix {
namespace {

constexpr int kPortalVersionForPersistence = 2;

}  // namespace

InputBackend ChooseInputBackend(const InputBackendProbe& probe) {
    if (probe.session == SessionKind::X11) {
        return InputBackend::XTest;
    }
    if (probe.mutterPresent) {
        return InputBackend::MutterRemoteDesktop;
    }
    if (probe.portalVersion >= kPortalVersionForPersistence) {
        return InputBackend::RemoteDesktopPortal;
    }
    if (probe.uinputOpens) {
        return InputBackend::Uinput;
    }
    return InputBackend::XTest;
}

InputBackend NextInputBackend(InputBackendProbe& probe, InputBackend refused) {
    switch (refused) {
        case InputBackend::MutterRemoteDesktop:
            probe.mutterPresent = false;
            break;
        case InputBackend::RemoteDesktopPortal:
            probe.portalVersion = 0;
            break;
        case InputBackend::Uinput:
            probe.uinputOpens = false;
            break;
        case InputBackend::XTest:
            break;
    }
    return ChooseInputBackend(probe);
}

std::string_view InputBackendName(InputBackend backend) {
    switch (backend) {
        case InputBackend::XTest:
            return "XTest";
        case InputBackend::MutterRemoteDesktop:
            return "GNOME remote desktop (mutter)";
        case InputBackend::RemoteDesktopPortal:
            return "desktop portal remote desktop";
        case InputBackend::Uinput:
            return "uinput (/dev/uinput)";
    }
    return "XTest";
}

}  // namespace veltranix
