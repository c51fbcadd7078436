#include "app/ui/device_pixels.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace veltranix {
namespace {

// Qt keeps each screen's corner where the device pixels put it and divides
// the rest by the screen's ratio.
const QScreen* ScreenAt(ScreenPoint devicePoint) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        const ScreenRect rect = DeviceRectOf(*screen);
        if (rect.left <= devicePoint.x && devicePoint.x < rect.right && rect.top <= devicePoint.y &&
            devicePoint.y < rect.bottom) {
            return screen;
        }
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace

ScreenRect DeviceRectOf(const QScreen& screen) {
    const QRect logical = screen.geometry();
    const double ratio = screen.devicePixelRatio();
    return {logical.left(), logical.top(),
            logical.left() + static_cast<int>(std::lround(logical.width() * ratio)),
            logical.top() + static_cast<int>(std::lround(logical.height() * ratio))};
}

QRect ToLogical(const ScreenRect& deviceRect) {
    const QScreen* screen = ScreenAt({deviceRect.left + (deviceRect.right - deviceRect.left) / 2,
                                      deviceRect.top + (deviceRect.bottom - deviceRect.top) / 2});
    if (screen == nullptr) {
        return QRect(deviceRect.left, deviceRect.top, deviceRect.right - deviceRect.left,
                     deviceRect.bottom - deviceRect.top);
    }
    const QPoint origin = screen->geometry().topLeft();
    const double ratio = screen->devicePixelRatio();
    const auto logical = [ratio](int pixels) {
        return static_cast<int>(std::lround(pixels / ratio));
    };
    return QRect(origin.x() + logical(deviceRect.left - origin.x()),
                 origin.y() + logical(deviceRect.top - origin.y()),
                 logical(deviceRect.right - deviceRect.left),
                 logical(deviceRect.bottom - deviceRect.top));
}

ScreenRect ToDevice(const QRect& logicalRect) {
    const QScreen* screen = QGuiApplication::screenAt(logicalRect.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QPoint origin = screen != nullptr ? screen->geometry().topLeft() : QPoint();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    const auto device = [ratio](int units) { return static_cast<int>(std::lround(units * ratio)); };
    const int left = origin.x() + device(logicalRect.left() - origin.x());
    const int top = origin.y() + device(logicalRect.top() - origin.y());
    return {left, top, left + device(logicalRect.width()), top + device(logicalRect.height())};
}

double DevicePixelRatio(const QWidget& window) {
    return window.devicePixelRatioF();
}

ScreenPoint ToDeviceClient(const QWidget& window, QPointF logical) {
    const double ratio = DevicePixelRatio(window);
    return {static_cast<int>(std::floor(logical.x() * ratio)),
            static_cast<int>(std::floor(logical.y() * ratio))};
}

QRect ToLogicalClient(const QWidget& window, const QRect& deviceRect) {
    const double ratio = DevicePixelRatio(window);
    const int left = static_cast<int>(std::floor(deviceRect.left() / ratio));
    const int top = static_cast<int>(std::floor(deviceRect.top() / ratio));
    const int right = static_cast<int>(std::ceil((deviceRect.left() + deviceRect.width()) / ratio));
    const int bottom =
        static_cast<int>(std::ceil((deviceRect.top() + deviceRect.height()) / ratio));
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace veltranix
