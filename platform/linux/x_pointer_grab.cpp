#include "platform/linux/x_pointer_grab.h"

#include <X11/Xlib.h>

namespace veltranix {

bool GrabPointerConfinedTo(_XDisplay* display, unsigned long window) {
    if (display == nullptr || window == 0) {
        return false;
    }
    // owner_events: our own windows get their events as usual while grabbed.
    const int result = XGrabPointer(
        display, window, True,
        ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
        GrabModeAsync, GrabModeAsync, window, None, CurrentTime);
    XFlush(display);
    return result == GrabSuccess;
}

void UngrabPointer(_XDisplay* display) {
    if (display == nullptr) {
        return;
    }
    XUngrabPointer(display, CurrentTime);
    XFlush(display);
}

}  // namespace veltranix
