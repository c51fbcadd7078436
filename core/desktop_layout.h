#pragma once

#include <span>
#include <string_view>

#include "core/geometry.h"

namespace veltranix {

// Rules over the desktop's monitors. Every rectangle is in the pointer's
// device pixels with right and bottom exclusive; monitor lists hold the
// primary monitor first.

// The common part of two rectangles; empty (right <= left or bottom <= top)
// when they do not overlap.
ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b);
bool IsEmpty(const ScreenRect& rect);

// The primary monitor's share of the work area: where the main window docks.
// The primary monitor itself when the work area misses it (a work area the
// window manager has not updated yet); the work area when there is no monitor.
ScreenRect PrimaryWorkArea(std::span<const ScreenRect> monitors, const ScreenRect& workArea);

// The work area's share of a monitor; the monitor itself when they do not meet.
ScreenRect WorkAreaShare(const ScreenRect& monitor, const ScreenRect& workArea);

// The monitor that holds most of `window` (the one nearest to its middle
// when it lies on none): where popups are centred. `fallback` when the list
// is empty.
ScreenRect MonitorHolding(std::span<const ScreenRect> monitors, const ScreenRect& window,
                          const ScreenRect& fallback);

// `point` when it lies on a monitor; otherwise the nearest point of the
// nearest monitor's edge, so that the pointer never lands where no monitor
// shows it. Unchanged when the list is empty.
ScreenPoint NearestPointOnMonitors(ScreenPoint point, std::span<const ScreenRect> monitors);

// The desktop's scale from the X resource Xft.dpi: dpi / 96 in quarters for
// 144 dpi and more (as a scaled session sets it), 1 below.
double DesktopScaleForDpi(int xftDpi);

// The Xft.dpi value of an X resource database ("Xft.dpi:\t192" lines);
// 0 when it has none or an unreadable one.
int XftDpiFromResources(std::string_view resources);

// The largest size factor, at most `wanted`, at which a window of
// `designSize` design units fits inside `area`.
float FittingSizeFactor(float wanted, ScreenSize designSize, ScreenSize area);

}  // namespace veltranix
