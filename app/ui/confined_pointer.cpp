#include "app/ui/confined_pointer.h"

#include <QGuiApplication>
#include <QWidget>

#include "platform/linux/x_pointer_grab.h"

namespace veltranix {
namespace {

constexpr int kGrabRetryMs = 20;
// The window may take a moment to be mapped; a grab needs it viewable.
constexpr int kGrabAttempts = 50;

_XDisplay* ToolkitDisplay() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

}  // namespace

ConfinedPointer::ConfinedPointer(QWidget& window, PointerRange& range, ScreenRect bounds,
                                 ScreenRect wholeScreen)
    : window_(&window), range_(range), wholeScreen_(wholeScreen) {
    range_.bounds = bounds;
    retry_.setInterval(kGrabRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { tryGrab(); });
    tryGrab();
}

ConfinedPointer::~ConfinedPointer() {
    retry_.stop();
    if (grabbed_) {
        UngrabPointer(ToolkitDisplay());
    }
    range_.bounds = wholeScreen_;
}

void ConfinedPointer::tryGrab() {
    if (!window_ || grabbed_) {
        retry_.stop();
        return;
    }
    if (window_->isVisible() &&
        GrabPointerConfinedTo(ToolkitDisplay(), static_cast<unsigned long>(window_->winId()))) {
        grabbed_ = true;
        retry_.stop();
        return;
    }
    if (++attempts_ >= kGrabAttempts) {
        // Another client holds a grab: the tracker's range still keeps the
        // head-driven pointer on the window.
        retry_.stop();
        return;
    }
    retry_.start();
}

}  // namespace veltranix
