#include "platform/linux/x_window_hints.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

namespace veltranix {

void MarkNeverFocused(Display* display, unsigned long window) {
    XWMHints* hints = XGetWMHints(display, window);
    XWMHints input{};
    XWMHints* changed = hints != nullptr ? hints : &input;
    changed->flags |= InputHint;
    changed->input = False;
    XSetWMHints(display, window, changed);
    if (hints != nullptr) {
        XFree(hints);
    }

    // A window that lists WM_TAKE_FOCUS asks the window manager to offer it
    // the focus; some move the focus away from the user's window first.
    const Atom takeFocus = XInternAtom(display, "WM_TAKE_FOCUS", False);
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        std::vector<Atom> kept(protocols, protocols + count);
        XFree(protocols);
        if (std::erase(kept, takeFocus) > 0) {
            XSetWMProtocols(display, window, kept.data(), static_cast<int>(kept.size()));
        }
    }

    const long noUserTime = 0;
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_USER_TIME", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&noUserTime), 1);

    // Merged into the states already set, before mapping, as the window
    // manager reads them when it takes the window on.
    const Atom stateAtom = XInternAtom(display, "_NET_WM_STATE", False);
    std::vector<Atom> states;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, stateAtom, 0, 32, False, XA_ATOM, &type, &format,
                           &items, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const Atom* atoms = reinterpret_cast<const Atom*>(data);
            states.assign(atoms, atoms + items);
        }
        XFree(data);
    }
    for (const char* name :
         {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"}) {
        const Atom state = XInternAtom(display, name, False);
        if (std::find(states.begin(), states.end(), state) == states.end()) {
            states.push_back(state);
        }
    }
    XChangeProperty(display, window, stateAtom, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states.data()),
                    static_cast<int>(states.size()));
    XFlush(display);
}

}  // namespace veltranix
