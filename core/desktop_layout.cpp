#include "core/desktop_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veltranix {
namespace {

long long Area(const ScreenRect& rect) {
    return IsEmpty(rect)
               ? 0
               : static_cast<long long>(rect.right - rect.left) * (rect.bottom - rect.top);
}

// The point of `rect` nearest to `point` (its last pixel at most).
ScreenPoint ClampInto(ScreenPoint point, const ScreenRect& rect) {
    return {std::clamp(point.x, rect.left, rect.right - 1),
            std::clamp(point.y, rect.top, rect.bottom - 1)};
}

long long DistanceSquared(ScreenPoint a, ScreenPoint b) {
    const long long dx = a.x - b.x;
    const long long dy = a.y - b.y;
    return dx * dx + dy * dy;
}

}  // namespace

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const ScreenRect& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

ScreenRect WorkAreaShare(const ScreenRect& monitor, const ScreenRect& workArea) {
    const ScreenRect share = Intersection(monitor, workArea);
    return IsEmpty(share) ? monitor : share;
}

ScreenRect PrimaryWorkArea(std::span<const ScreenRect> monitors, const ScreenRect& workArea) {
    return monitors.empty() ? workArea : WorkAreaShare(monitors.front(), workArea);
}

ScreenRect MonitorHolding(std::span<const ScreenRect> monitors, const ScreenRect& window,
                          const ScreenRect& fallback) {
    if (monitors.empty()) {
        return fallback;
    }
    const ScreenPoint middle{window.left + (window.right - window.left) / 2,
                             window.top + (window.bottom - window.top) / 2};
    const ScreenRect* holder = &monitors.front();
    long long bestOverlap = -1;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const ScreenRect& monitor : monitors) {
        const long long overlap = Area(Intersection(monitor, window));
        const long long distance = DistanceSquared(middle, ClampInto(middle, monitor));
        if (overlap > bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
            holder = &monitor;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return *holder;
}

ScreenPoint NearestPointOnMonitors(ScreenPoint point, std::span<const ScreenRect> monitors) {
    ScreenPoint nearest = point;
    long long best = std::numeric_limits<long long>::max();
    for (const ScreenRect& monitor : monitors) {
        if (IsEmpty(monitor)) {
            continue;
        }
        const ScreenPoint candidate = ClampInto(point, monitor);
        const long long distance = DistanceSquared(point, candidate);
        if (distance == 0) {
            return point;
        }
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

double DesktopScaleForDpi(int xftDpi) {
    constexpr int kBaseDpi = 96;
    constexpr int kScaledFromDpi = 144;
    if (xftDpi < kScaledFromDpi) {
        return 1.0;
    }
    return std::round(xftDpi * 4.0 / kBaseDpi) / 4.0;
}

int XftDpiFromResources(std::string_view resources) {
    constexpr std::string_view kName = "Xft.dpi:";
    int dpi = 0;
    std::size_t start = 0;
    while (start < resources.size()) {
        std::size_t end = resources.find('\n', start);
        if (end == std::string_view::npos) {
            end = resources.size();
        }
        std::string_view line = resources.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(kName)) {
            continue;
        }
        line.remove_prefix(kName.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        // A fraction ("96.5") counts by its whole part; the last line wins, as in xrdb.
        int value = 0;
        std::size_t digits = 0;
        while (digits < line.size() && digits < 6 && line[digits] >= '0' && line[digits] <= '9') {
            value = value * 10 + (line[digits] - '0');
            ++digits;
        }
        dpi = digits > 0 ? value : 0;
    }
    return dpi;
}

float FittingSizeFactor(float wanted, ScreenSize designSize, ScreenSize area) {
    float factor = wanted;
    if (designSize.width > 0) {
        factor = std::min(factor, static_cast<float>(area.width) / designSize.width);
    }
    if (designSize.height > 0) {
        factor = std::min(factor, static_cast<float>(area.height) / designSize.height);
    }
    return factor;
}

}  // namespace veltranix
