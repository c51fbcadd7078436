#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <utility>

// What a user sees of the X screen, for the tests of the real program.
namespace veltranix::testing {

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const {
        return x <= px && px < x + width && y <= py && py < y + height;
    }
};

// The program's main window docked in its corner at its small size, as it
// is once calibration has ended.
inline bool IsDocked(const std::optional<WindowPlace>& main) {
    return main && main->width == 160 && main->height == 120;
}

// The first mapped top-level window with this name, also inside a window
// manager's frame; its place on the screen.
inline std::optional<WindowPlace> FindShownWindow(Display* display, const std::string& name,
                                                  Window under = None) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::optional<WindowPlace> found;
    if (XQueryTree(display, under ? under : DefaultRootWindow(display), &root, &parent, &children,
                   &count) == 0) {
        return found;
    }
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        char* windowName = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            if (XFetchName(display, children[i], &windowName) == 0 || windowName == nullptr) {
                found = under ? found : FindShownWindow(display, name, children[i]);
            } else if (name == windowName) {
                XTranslateCoordinates(display, children[i], DefaultRootWindow(display), 0, 0,
                                      &attributes.x, &attributes.y, &root);
                found =
                    WindowPlace{attributes.x, attributes.y, attributes.width, attributes.height};
            }
            XFree(windowName);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// Where the pointer is on the screen; `buttons`, when given, receives the
// mouse buttons held (Button1Mask to Button5Mask).
inline std::pair<int, int> PointerPosition(Display* display, unsigned int* buttons = nullptr) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY,
                  &mask);
    if (buttons != nullptr) {
        *buttons = mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask);
    }
    return {rootX, rootY};
}

}  // namespace veltranix::testing
