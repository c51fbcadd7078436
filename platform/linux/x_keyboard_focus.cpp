#include "platform/linux/x_keyboard_focus.h"

#include <X11/Xlib.h>

namespace veltranix {

std::uint64_t XKeyboardFocus::current() const {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == PointerRoot || focus == None || focus == DefaultRootWindow(display)) {
        return 0;
    }
    return focus;
}

void XKeyboardFocus::giveTo(std::uint64_t window) const {
    if (window == 0) {
        return;
    }
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    // The window may have gone while the editor was open.
    XErrorTrap trap(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) != 0 &&
        attributes.map_state == IsViewable) {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    trap.failed();
}

}  // namespace veltranix
