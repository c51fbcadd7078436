#include "tests/platform/x_event_recorder.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <xkbcommon/xkbcommon.h>

#include <stdexcept>

namespace veltranix::testing {

// The Unicode text a keysym types; empty for function keys.
static std::u32string TextOfKeysym(KeySym keysym) {
    const std::uint32_t character = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym));
    return character != 0 ? std::u32string(1, static_cast<char32_t>(character)) : std::u32string();
}

XEventRecorder::XEventRecorder(const std::string& displayName, std::optional<WindowPlace> area) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("the test client cannot open display " + displayName);
    }
    const int screen = DefaultScreen(display_);
    const WindowPlace place = area.value_or(
        WindowPlace{0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)});
    XSetWindowAttributes attributes{};
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask |
                            ExposureMask | StructureNotifyMask;
    attributes.override_redirect = True;
    window_ = XCreateWindow(display_, DefaultRootWindow(display_), place.x, place.y,
                            static_cast<unsigned>(place.width), static_cast<unsigned>(place.height),
                            0, CopyFromParent, InputOutput, CopyFromParent,
                            CWEventMask | CWOverrideRedirect, &attributes);
    // Follow keymap changes as toolkits do, through the XKB map notifications.
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    XkbQueryExtension(display_, &opcode, &xkbEventBase_, &errorBase, &major, &minor);
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
    XMapRaised(display_, window_);
    waitUntil([this] {
        XWindowAttributes state{};
        XGetWindowAttributes(display_, window_, &state);
        return state.map_state == IsViewable;
    });
    XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

XEventRecorder::~XEventRecorder() {
    if (display_ != nullptr) {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
}

bool XEventRecorder::hasFocus() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus == window_;
}

void XEventRecorder::handle(XEvent& event) {
    switch (event.type) {
        case ButtonPress:
        case ButtonRelease:
            buttons.push_back({event.xbutton.button, event.type == ButtonPress,
                               event.xbutton.x_root, event.xbutton.y_root, event.xbutton.time});
            break;
        case KeyPress:
        case KeyRelease: {
            KeySym keysym = NoSymbol;
            char buffer[16];
            XLookupString(&event.xkey, buffer, sizeof buffer, &keysym, nullptr);
            keys.push_back({event.xkey.keycode, event.type == KeyPress, keysym,
                            TextOfKeysym(keysym), event.xkey.state});
            break;
        }
        case MappingNotify:
            XRefreshKeyboardMapping(&event.xmapping);
            break;
        default:
            if (event.type == xkbEventBase_) {
                auto& xkbEvent = reinterpret_cast<XkbEvent&>(event);
                if (xkbEvent.any.xkb_type == XkbMapNotify) {
                    XkbRefreshKeyboardMapping(&xkbEvent.map);
                }
            }
            break;
    }
}

void XEventRecorder::drain() {
    XSync(display_, False);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
}

bool XEventRecorder::waitUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        drain();
        if (done()) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
        poll(&descriptor, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
    }
}

}  // namespace veltranix::testing
