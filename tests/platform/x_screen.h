#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What a user sees of the X screen, for the tests of the real program.
namespace veltranix::testing {

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Window window = 0;
    bool Contains(int px, int py) const {
        return x <= px && px < x + width && y <= py && py < y + height;
    }
};

// The program's main window docked in its corner at its small size, as it
// is once calibration has ended.
inline bool IsDocked(const std::optional<WindowPlace>& main) {
    return main && main->width == 160 && main->height == 120;
}

// The mapped windows below `parent` (the root: the top-level windows), with
// their names; a window's place is relative to its parent.
inline std::vector<std::pair<std::string, WindowPlace>> ShownChildren(Display* display,
                                                                      Window parent) {
    std::vector<std::pair<std::string, WindowPlace>> shown;
    Window root = 0, grandparent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &grandparent, &children, &count) == 0) {
        return shown;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            const bool named = XFetchName(display, children[i], &name) != 0 && name != nullptr;
            shown.push_back(
                {named ? name : "",
                 {attributes.x, attributes.y, attributes.width, attributes.height, children[i]}});
            if (named) {
                XFree(name);
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return shown;
}

// The first mapped top-level window with this name; else, as a window
// manager's frame holds it, the first such window inside a top-level one,
// with its place on the screen.
inline std::optional<WindowPlace> FindShownWindow(Display* display, const std::string& name,
                                                  Window parent = 0) {
    const auto shown = ShownChildren(display, parent != 0 ? parent : DefaultRootWindow(display));
    for (const auto& [windowName, place] : shown) {
        if (windowName == name) {
            return place;
        }
    }
    for (const auto& child : shown) {
        if (std::optional<WindowPlace> inside =
                FindShownWindow(display, name, child.second.window)) {
            if (parent == 0) {  // the place on the screen, not in the frame
                Window ignored = 0;
                XTranslateCoordinates(display, inside->window, DefaultRootWindow(display), 0, 0,
                                      &inside->x, &inside->y, &ignored);
            }
            return inside;
        }
    }
    return std::nullopt;
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

// The shown top-level windows and the pointer, for a failure's message.
inline std::string ShownWindows(Display* display) {
    std::string view;
    for (const auto& [name, place] : ShownChildren(display, DefaultRootWindow(display))) {
        if (name.empty()) {
            continue;
        }
        view += name + " " + std::to_string(place.width) + "x" + std::to_string(place.height) +
                " at " + std::to_string(place.x) + "," + std::to_string(place.y) + "; ";
    }
    const auto [x, y] = PointerPosition(display);
    return view + "pointer at " + std::to_string(x) + "," + std::to_string(y);
}

struct ShownCursor {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The pointer's cursor as the server shows it now.
inline ShownCursor CurrentCursor(Display* display) {
    ShownCursor shown;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        return shown;
    }
    shown.width = image->width;
    shown.height = image->height;
    shown.pixels.assign(image->pixels, image->pixels + image->width * image->height);
    XFree(image);
    return shown;
}

}  // namespace veltranix::testing
