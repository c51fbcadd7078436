#include "platform/linux/pointer_whereabouts.h"

#include <algorithm>

namespace veltranix {
namespace {

// About a second of frames: XWayland's echo of a move comes well within it.
constexpr std::size_t kRememberedPlacements = 32;

}  // namespace

void PointerWhereabouts::remember(ScreenPoint placed) {
    recentPlacements_.push_back(placed);
    if (recentPlacements_.size() > kRememberedPlacements) {
        recentPlacements_.pop_front();
    }
}

ScreenPoint PointerWhereabouts::clamped(ScreenPoint point) const {
    return {std::clamp(point.x, desktop_.left, std::max(desktop_.left, desktop_.right - 1)),
            std::clamp(point.y, desktop_.top, std::max(desktop_.top, desktop_.bottom - 1))};
}

ScreenPoint PointerWhereabouts::placedAt(ScreenPoint point) {
    std::lock_guard lock(mutex_);
    position_ = clamped(point);
    remember(position_);
    return position_;
}

ScreenPoint PointerWhereabouts::movedBy(int dxPixels, int dyPixels) {
    std::lock_guard lock(mutex_);
    position_ = clamped({position_.x + dxPixels, position_.y + dyPixels});
    remember(position_);
    return position_;
}

ScreenPoint PointerWhereabouts::known() {
    std::lock_guard lock(mutex_);
    return position_;
}

ScreenPoint PointerWhereabouts::current(ScreenPoint xWaylandPosition) {
    std::lock_guard lock(mutex_);
    // At start the pointer is where XWayland last saw it, the best guess there is.
    if (!lastXWayland_) {
        position_ = xWaylandPosition;
    } else if (!(*lastXWayland_ == xWaylandPosition) &&
               std::find(recentPlacements_.begin(), recentPlacements_.end(), xWaylandPosition) ==
                   recentPlacements_.end()) {
        position_ = xWaylandPosition;
        recentPlacements_.clear();
    }
    lastXWayland_ = xWaylandPosition;
    return position_;
}

}  // namespace veltranix

namespace veltranix {

std::optional<MonitorPoint> MonitorPointFor(const std::vector<ScreenRect>& monitors,
                                            ScreenPoint point) {
    std::optional<MonitorPoint> nearest;
    long long nearestDistance = 0;
    for (std::size_t index = 0; index < monitors.size(); ++index) {
        const ScreenRect& area = monitors[index];
        if (area.right <= area.left || area.bottom <= area.top) {
            continue;
        }
        const ScreenPoint onIt{std::clamp(point.x, area.left, area.right - 1),
                               std::clamp(point.y, area.top, area.bottom - 1)};
        const long long dx = point.x - onIt.x;
        const long long dy = point.y - onIt.y;
        const long long distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) {
            nearest = MonitorPoint{index, {onIt.x - area.left, onIt.y - area.top}};
            nearestDistance = distance;
        }
        if (distance == 0) {
            break;
        }
    }
    return nearest;
}

}  // namespace veltranix
