#include "app/ui/focus_free_window.h"

#include <QEvent>
#include <QGuiApplication>

#include "platform/linux/x_window_hints.h"

namespace veltranix {
namespace {

// The show event comes before the window is mapped, when the window manager
// still reads its hints.
class MarkBeforeMapping final : public QObject {
  public:
    explicit MarkBeforeMapping(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            // The offscreen platform answers too, without a display.
            auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
            if (x11 != nullptr && x11->display() != nullptr) {
                MarkNeverFocused(x11->display(), window_.winId());
            }
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void MakeFocusFree(QWidget& window, Qt::WindowFlags extra) {
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | extra);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setAttribute(Qt::WA_X11DoNotAcceptFocus);
    window.setFocusPolicy(Qt::NoFocus);
    window.installEventFilter(new MarkBeforeMapping(window));
}

}  // namespace veltranix
