#include "app/ui/skinned_window.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "app/ui/device_pixels.h"
#include "app/ui/focus_free_window.h"

namespace veltranix {

SkinnedWindow::SkinnedWindow(std::string_view title, bool* openFlag, SkinLibrary& skins,
                             FocusTaking focus)
    : QWidget(nullptr), openFlag_(openFlag), skins_(skins) {
    if (focus == FocusTaking::Never) {
        MakeFocusFree(*this);
    } else {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
    // The window's name is its role, so that tests and tools can find it.
    setWindowTitle(QString::fromUtf8(title.data(), static_cast<int>(title.size())));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

SkinnedWindow::~SkinnedWindow() {
    confinement_.reset();
    if (openFlag_ != nullptr) {
        *openFlag_ = false;
    }
}

void SkinnedWindow::Place(const ScreenRect& rect) {
    placed_ = rect;
    setGeometry(ToLogical(rect));
}

QRect SkinnedWindow::deviceRect() const {
    if (placed_.right > placed_.left && placed_.bottom > placed_.top) {
        return QRect(0, 0, placed_.right - placed_.left, placed_.bottom - placed_.top);
    }
    // Sized but never placed (a picture of the window): its size in device pixels.
    const double ratio = DevicePixelRatio(*this);
    return QRect(0, 0, static_cast<int>(std::lround(width() * ratio)),
                 static_cast<int>(std::lround(height() * ratio)));
}

void SkinnedWindow::ConfinePointer(PointerRange& range, ScreenRect bounds, ScreenRect wholeScreen) {
    confinement_.reset();
    confinement_ = std::make_unique<ConfinedPointer>(*this, range, bounds, wholeScreen);
}

void SkinnedWindow::ReleasePointer() {
    confinement_.reset();
}

void SkinnedWindow::PaintSkin(QPainter& painter, std::string_view skin) {
    painter.drawPixmap(0, 0, skins_.Render(skin, deviceRect().size()));
}

void SkinnedWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Drawn in device pixels: the art and the texts stay sharp on a scaled desktop.
    const double ratio = DevicePixelRatio(*this);
    painter.scale(1.0 / ratio, 1.0 / ratio);
    Paint(painter);
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent* event) {
    OnPointerMoved(ToDeviceClient(*this, event->position()));
}

void SkinnedWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnLeftButtonDown(ToDeviceClient(*this, event->position()));
    }
}

void SkinnedWindow::showEvent(QShowEvent* event) {
    if (openFlag_ != nullptr) {
        *openFlag_ = true;
    }
    QWidget::showEvent(event);
}

void SkinnedWindow::closeEvent(QCloseEvent* event) {
    confinement_.reset();
    if (openFlag_ != nullptr) {
        *openFlag_ = false;
    }
    QWidget::closeEvent(event);
}

}  // namespace veltranix
