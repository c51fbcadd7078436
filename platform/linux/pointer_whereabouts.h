#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "core/desktop_port.h"
#include "core/geometry.h"

namespace veltranix {

// Where the pointer is in a Wayland session. The compositor tells no client
// where the pointer is; XWayland knows it only while the pointer is over an
// X window, and learns of this program's moves a little late. So the
// position is the one this program last placed, unless XWayland reports a
// new position that none of the recent placements explains: then a mouse
// moved the pointer over an X window, and XWayland's is the newer. A mouse
// moved over a native Wayland window goes unseen. Any thread.
class PointerWhereabouts {
  public:
    // `desktop`: the bounding box of every monitor, right and bottom exclusive.
    explicit PointerWhereabouts(ScreenRect desktop) : desktop_(desktop) {}

    // Records a placement; returns the point, brought onto the desktop.
    ScreenPoint placedAt(ScreenPoint point);
    // Records a relative move; returns where the pointer ends.
    ScreenPoint movedBy(int dxPixels, int dyPixels);
    // The position as last placed or read.
    ScreenPoint known();
    // The position, given what XWayland reports now.
    ScreenPoint current(ScreenPoint xWaylandPosition);
    ScreenRect desktop() const { return desktop_; }

  private:
    ScreenPoint clamped(ScreenPoint point) const;

    void remember(ScreenPoint placed);

    const ScreenRect desktop_;
    std::mutex mutex_;
    ScreenPoint position_;
    std::optional<ScreenPoint> lastXWayland_;
    // The latest placements, the oldest first: XWayland echoes them late.
    std::deque<ScreenPoint> recentPlacements_;
};

// The desktop as XWayland describes it, with the pointer position of the
// whereabouts. GUI thread, as the desktop it wraps.
class WaylandDesktop : public DesktopPort {
  public:
    WaylandDesktop(const DesktopPort& xWayland, PointerWhereabouts& whereabouts)
        : xWayland_(xWayland), whereabouts_(whereabouts) {}

    ScreenSize screenSize() const override { return xWayland_.screenSize(); }
    ScreenRect workArea() const override { return xWayland_.workArea(); }
    ScreenPoint pointerPosition() const override {
        return whereabouts_.current(xWayland_.pointerPosition());
    }
    bool primaryButtonSwapped() const override { return xWayland_.primaryButtonSwapped(); }

  private:
    const DesktopPort& xWayland_;
    PointerWhereabouts& whereabouts_;
};

}  // namespace veltranix

namespace veltranix {

// A point of the desktop on one monitor: which one, and where on it.
struct MonitorPoint {
    std::size_t monitor = 0;
    ScreenPoint local;
    friend bool operator==(const MonitorPoint&, const MonitorPoint&) = default;
};

// The monitor that shows `point`, with the point in its own coordinates. A
// point in no monitor (between monitors of unlike sizes) goes to the nearest
// one, onto its edge. None when there are no monitors.
std::optional<MonitorPoint> MonitorPointFor(const std::vector<ScreenRect>& monitors,
                                            ScreenPoint point);

}  // namespace veltranix
