#include "app/ui/skinned_window.h"

#include <QMouseEvent>
#include <QPainter>

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
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void SkinnedWindow::ConfinePointer(PointerRange& range, ScreenRect bounds, ScreenRect wholeScreen) {
    confinement_.reset();
    confinement_ = std::make_unique<ConfinedPointer>(*this, range, bounds, wholeScreen);
}

void SkinnedWindow::ReleasePointer() {
    confinement_.reset();
}

void SkinnedWindow::PaintSkin(QPainter& painter, std::string_view skin) {
    painter.drawPixmap(0, 0, skins_.Render(skin, size()));
}

void SkinnedWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter);
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    OnPointerMoved({point.x(), point.y()});
}

void SkinnedWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        OnLeftButtonDown({point.x(), point.y()});
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
