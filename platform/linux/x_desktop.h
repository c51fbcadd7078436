#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/desktop_port.h"
#include "core/input_port.h"
#include "core/window_lookup_port.h"
#include "platform/linux/x_display.h"

namespace veltranix {

// The desktop as the X server and the window manager describe it.
class XDesktop : public DesktopPort, public WindowLookupPort {
  public:
    explicit XDesktop(std::shared_ptr<XDisplayConnection> connection);

    ScreenSize screenSize() const override;
    // The window manager's _NET_WORKAREA of the current desktop; the whole
    // screen when there is none.
    ScreenRect workArea() const override;
    ScreenPoint pointerPosition() const override;
    // True when the pointer mapping sends the right physical button to
    // logical button 1.
    bool primaryButtonSwapped() const override;
    std::uint64_t topLevelWindowAt(ScreenPoint point) const override;

  private:
    // The root window's work-area properties, read again only after the
    // server reported a change of one of them.
    struct WorkAreaWatch {
        unsigned long currentDesktop;
        unsigned long workArea;
        bool stale = true;
        bool present = false;
        std::array<long, 4> area{};
    };

    std::shared_ptr<XDisplayConnection> connection_;
    mutable std::optional<WorkAreaWatch> workAreaWatch_;  // under the connection's mutex
};

// The X resource database of the root window (RESOURCE_MANAGER, as xrdb and
// the desktop's settings daemon write it); empty when there is none.
std::string RootResources(XDisplayConnection& connection);

// The monitors as the server's Xinerama extension lists them, in pixels; empty
// without it. Some servers (Xephyr with +xinerama) list their heads here
// alone, not as XRandR monitors.
std::vector<ScreenRect> XineramaHeads(XDisplayConnection& connection);

// Synthetic pointer input through the XTest extension. The button events go
// through the server's pointer mapping as a physical mouse's do. A left click
// on the bare desktop (the root window) leaves the keyboard focus where it
// was: some window managers (openbox) take it from every window then, and what
// the user types next would go nowhere.
class XPointerInput : public PointerInputPort {
  public:
    // Null when the server lacks XTest.
    static std::unique_ptr<XPointerInput> Create(std::shared_ptr<XDisplayConnection> connection);

    void sendButton(PointerButton button, KeyDirection direction) override;
    // Exact: lands on (x, y), clamped by the server to the screen.
    void moveTo(ScreenPoint point) override;
    void moveBy(int dxPixels, int dyPixels) override;
    void sendWheel(WheelAxis axis, int steps) override;

  private:
    explicit XPointerInput(std::shared_ptr<XDisplayConnection> connection)
        : connection_(std::move(connection)) {}

    std::shared_ptr<XDisplayConnection> connection_;
    // The window manager's active window when a left press landed on the
    // bare desktop; activated again on the release. Under the connection's mutex.
    unsigned long activeBeforeDesktopPress_ = 0;
};

}  // namespace veltranix
