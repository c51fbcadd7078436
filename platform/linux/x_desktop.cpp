#include "platform/linux/x_desktop.h"

#include <array>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xinerama.h>

#include <algorithm>
#include <cstdlib>

namespace veltranix {
namespace {

// A property of `window` of `type` and `format`, `length` 32-bit units from
// `offset`, its items handed to `read` (32-bit items as longs, as Xlib gives
// them); false when it is not there or `read` refuses it.
template <typename Read>
bool ReadProperty(Display* display, Window window, Atom property, Atom type, int format,
                  long offset, long length, Read read) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XErrorTrap trap(display);
    const int status = XGetWindowProperty(display, window, property, offset, length, False, type,
                                          &actualType, &actualFormat, &items, &remaining, &data);
    const bool ok = status == Success && !trap.failed() && actualType == type &&
                    actualFormat == format && data != nullptr && read(data, items);
    if (data != nullptr) {
        XFree(data);
    }
    return ok;
}

// A 32-bit CARDINAL property of the root window, as Xlib hands it back (longs).
bool ReadCardinals(Display* display, Window window, Atom property, long count, long offset,
                   long* values) {
    return ReadProperty(display, window, property, XA_CARDINAL, 32, offset, count,
                        [&](const unsigned char* data, unsigned long items) {
                            if (items != static_cast<unsigned long>(count)) {
                                return false;
                            }
                            const auto* longs = reinterpret_cast<const long*>(data);
                            std::copy(longs, longs + count, values);
                            return true;
                        });
}

}  // namespace

XDesktop::XDesktop(std::shared_ptr<XDisplayConnection> connection)
    : connection_(std::move(connection)) {}

ScreenSize XDesktop::screenSize() const {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    const int screen = DefaultScreen(display);
    return {DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

ScreenRect XDesktop::workArea() const {
    const ScreenSize size = screenSize();
    const ScreenRect whole{0, 0, size.width, size.height};
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    const Window root = connection_->root();
    if (!workAreaWatch_) {
        // Watched before the first read, so that no change falls between.
        workAreaWatch_ = WorkAreaWatch{XInternAtom(display, "_NET_CURRENT_DESKTOP", False),
                                       XInternAtom(display, "_NET_WORKAREA", False)};
        XSelectInput(display, root, PropertyChangeMask);
    }
    // Asked every frame: read again only when the window manager changed
    // one of the two properties, not at the cost of round trips each time.
    XEvent event;
    while (XCheckTypedWindowEvent(display, root, PropertyNotify, &event)) {
        if (event.xproperty.atom == workAreaWatch_->currentDesktop ||
            event.xproperty.atom == workAreaWatch_->workArea) {
            workAreaWatch_->stale = true;
        }
    }
    if (workAreaWatch_->stale) {
        long desktop = 0;
        if (!ReadCardinals(display, root, workAreaWatch_->currentDesktop, 1, 0, &desktop)) {
            desktop = 0;
        }
        workAreaWatch_->present = ReadCardinals(display, root, workAreaWatch_->workArea, 4,
                                                desktop * 4, workAreaWatch_->area.data());
        workAreaWatch_->stale = false;
    }
    if (!workAreaWatch_->present) {
        return whole;
    }
    const std::array<long, 4>& area = workAreaWatch_->area;
    const ScreenRect rect{static_cast<int>(area[0]), static_cast<int>(area[1]),
                          static_cast<int>(area[0] + area[2]), static_cast<int>(area[1] + area[3])};
    // A work area that is empty or outside the screen is not believed.
    if (area[2] <= 0 || area[3] <= 0 || rect.left < 0 || rect.top < 0 || rect.right > size.width ||
        rect.bottom > size.height) {
        return whole;
    }
    return rect;
}

ScreenPoint XDesktop::pointerPosition() const {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    Window rootReturn = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, connection_->root(), &rootReturn, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    return {rootX, rootY};
}

bool XDesktop::primaryButtonSwapped() const {
    std::lock_guard lock(connection_->mutex());
    unsigned char map[32] = {};
    const int buttons = XGetPointerMapping(connection_->display(), map, sizeof map);
    return buttons >= 3 && map[0] == 3 && map[2] == 1;
}

namespace {

bool HasWindowManagerState(Display* display, Window window, Atom wmState) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType,
                                          &type, &format, &count, &remaining, &data);
    if (data != nullptr) {
        XFree(data);
    }
    return status == Success && type != None;
}

// A window manager puts each application window inside a frame of its own;
// the application's window is the one that carries WM_STATE. Searched breadth
// first below the frame; the frame itself when no window carries it.
Window ClientWindowInside(Display* display, Window topLevel) {
    const Atom wmState = XInternAtom(display, "WM_STATE", True);
    if (wmState == None || HasWindowManagerState(display, topLevel, wmState)) {
        return topLevel;
    }
    std::vector<Window> level{topLevel};
    for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window parent : level) {
            Window root = None;
            Window parentOfParent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) == 0) {
                continue;
            }
            for (unsigned int index = 0; index < count; ++index) {
                next.push_back(children[index]);
            }
            if (children != nullptr) {
                XFree(children);
            }
        }
        for (const Window candidate : next) {
            if (HasWindowManagerState(display, candidate, wmState)) {
                return candidate;
            }
        }
        level = std::move(next);
    }
    return topLevel;
}

}  // namespace

namespace {

// What the server's pointer mapping makes of a physical button.
unsigned int LogicalButton(Display* display, unsigned int physical) {
    unsigned char map[32] = {};
    const int count = XGetPointerMapping(display, map, sizeof map);
    return static_cast<int>(physical) <= count ? map[physical - 1] : physical;
}

bool PointerOnBareDesktop(Display* display, Window root) {
    XErrorTrap trap(display);
    Window pointerRoot = None;
    Window child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    const Bool onScreen =
        XQueryPointer(display, root, &pointerRoot, &child, &rootX, &rootY, &x, &y, &mask);
    return !trap.failed() && onScreen == True && child == None;
}

// The window manager's _NET_ACTIVE_WINDOW; 0 when none or no such manager.
unsigned long ActiveWindow(Display* display) {
    XErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long active = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &items, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && items == 1) {
            active = *reinterpret_cast<const unsigned long*>(data);
        }
        XFree(data);
    }
    return trap.failed() ? 0 : active;
}

// Asks the window manager to activate `window`, as a pager does.
void ActivateWindow(Display* display, Window root, unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // source: a pager, which window managers obey
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

std::uint64_t XDesktop::topLevelWindowAt(ScreenPoint point) const {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    XErrorTrap trap(display);
    Window child = None;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(display, connection_->root(), connection_->root(), point.x, point.y, &x,
                          &y, &child);
    if (trap.failed() || child == None) {
        return 0;
    }
    const Window client = ClientWindowInside(display, child);
    return trap.failed() ? child : client;
}

std::string RootResources(XDisplayConnection& connection) {
    std::lock_guard lock(connection.mutex());
    Display* display = connection.display();
    // Resource databases are small; a megabyte bounds a hostile one.
    constexpr long kMaxLongs = 1L << 18;
    std::string text;
    ReadProperty(display, connection.root(), XA_RESOURCE_MANAGER, XA_STRING, 8, 0, kMaxLongs,
                 [&](const unsigned char* data, unsigned long items) {
                     text.assign(reinterpret_cast<const char*>(data), items);
                     return true;
                 });
    return text;
}

std::vector<ScreenRect> XineramaHeads(XDisplayConnection& connection) {
    std::lock_guard lock(connection.mutex());
    Display* display = connection.display();
    std::vector<ScreenRect> heads;
    int eventBase = 0;
    int errorBase = 0;
    if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display)) {
        return heads;
    }
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
    for (int index = 0; index < count; ++index) {
        const XineramaScreenInfo& screen = screens[index];
        heads.push_back({screen.x_org, screen.y_org, screen.x_org + screen.width,
                         screen.y_org + screen.height});
    }
    if (screens != nullptr) {
        XFree(screens);
    }
    return heads;
}

std::unique_ptr<XPointerInput> XPointerInput::Create(
    std::shared_ptr<XDisplayConnection> connection) {
    std::lock_guard lock(connection->mutex());
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(connection->display(), &eventBase, &errorBase, &major, &minor)) {
        return nullptr;
    }
    XTestGrabControl(connection->display(), True);
    return std::unique_ptr<XPointerInput>(new XPointerInput(std::move(connection)));
}

void XPointerInput::sendButton(PointerButton button, KeyDirection direction) {
    const unsigned int number = button == PointerButton::Left     ? 1
                                : button == PointerButton::Middle ? 2
                                                                  : 3;
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    const bool left = LogicalButton(display, number) == 1;
    if (left && direction == KeyDirection::Press) {
        activeBeforeDesktopPress_ =
            PointerOnBareDesktop(display, connection_->root()) ? ActiveWindow(display) : 0;
    }
    XTestFakeButtonEvent(display, number, direction == KeyDirection::Press, CurrentTime);
    if (left && direction == KeyDirection::Release && activeBeforeDesktopPress_ != 0) {
        // After the click in the server's order, so the window manager
        // sees the request once it has handled the click.
        ActivateWindow(display, connection_->root(), activeBeforeDesktopPress_);
        activeBeforeDesktopPress_ = 0;
    }
    XFlush(display);
}

void XPointerInput::sendWheel(WheelAxis axis, int steps) {
    // The core protocol's wheel: buttons 4 up, 5 down, 6 left, 7 right, one
    // click per notch.
    const bool vertical = axis == WheelAxis::Vertical;
    const unsigned int number = steps > 0 ? (vertical ? 5 : 7) : (vertical ? 4 : 6);
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    for (int step = 0; step < std::abs(steps); ++step) {
        XTestFakeButtonEvent(display, number, True, CurrentTime);
        XTestFakeButtonEvent(display, number, False, CurrentTime);
    }
    XFlush(display);
}

void XPointerInput::moveTo(ScreenPoint point) {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    XTestFakeMotionEvent(display, DefaultScreen(display), point.x, point.y, CurrentTime);
    XFlush(display);
}

void XPointerInput::moveBy(int dxPixels, int dyPixels) {
    std::lock_guard lock(connection_->mutex());
    XTestFakeRelativeMotionEvent(connection_->display(), dxPixels, dyPixels, CurrentTime);
    XFlush(connection_->display());
}

}  // namespace veltranix
