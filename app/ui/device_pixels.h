#pragma once

#include <QRect>

#include "core/geometry.h"

class QScreen;
class QWidget;

namespace veltranix {

// The one place where the program's coordinates, the pointer's device
// pixels, meet Qt's logical units (device pixels divided by the screen's
// device pixel ratio, counted from the screen's own corner). Everything else
// places, sizes, hit-tests and confines in device pixels.

// A screen's rectangle in device pixels.
ScreenRect DeviceRectOf(const QScreen& screen);
// A rectangle of the screen in device pixels as Qt's window geometry.
QRect ToLogical(const ScreenRect& deviceRect);
// Qt's window geometry as a rectangle of the screen in device pixels.
ScreenRect ToDevice(const QRect& logicalRect);
// The device pixel ratio `window` is drawn at.
double DevicePixelRatio(const QWidget& window);
// A point of a window's client area, from logical units to device pixels.
ScreenPoint ToDeviceClient(const QWidget& window, QPointF logical);
// A client rectangle in device pixels as logical units (covering it).
QRect ToLogicalClient(const QWidget& window, const QRect& deviceRect);

}  // namespace veltranix
