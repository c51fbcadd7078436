#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "core/geometry.h"
#include "tracking/track_stages.h"

class QWidget;

namespace veltranix {

// Keeps the pointer on one window while it lives: the head-driven pointer
// through the tracker's range, the system pointer through an X pointer grab
// confined to the window. Released in the destructor, so that no way out of
// a window (its buttons, an error, shutdown, a closed display) can leave the
// pointer trapped. GUI thread.
class ConfinedPointer final : public QObject {
  public:
    // `range` is the tracker's; `bounds` the window's rectangle in screen
    // pixels (right and bottom on the window's last pixel); `wholeScreen` what
    // the range returns to.
    ConfinedPointer(QWidget& window, PointerRange& range, ScreenRect bounds,
                    ScreenRect wholeScreen);
    ~ConfinedPointer() override;
    ConfinedPointer(const ConfinedPointer&) = delete;
    ConfinedPointer& operator=(const ConfinedPointer&) = delete;

    bool grabbed() const { return grabbed_; }

  private:
    void tryGrab();

    QPointer<QWidget> window_;
    PointerRange& range_;
    ScreenRect wholeScreen_;
    QTimer retry_;
    int attempts_ = 0;
    bool grabbed_ = false;
};

}  // namespace veltranix
