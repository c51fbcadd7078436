#pragma once

#include <functional>
#include <vector>

#include <QObject>

#include "core/desktop_port.h"

class QScreen;

namespace veltranix {

// The desktop with its monitors as Qt follows them through XRandR, in device
// pixels, the primary first; the server's own list of heads (`serverHeads`)
// where it knows more of them. `changed` runs on the GUI thread once a
// monitor has been added, removed or resized, or its scale changed. GUI thread.
class DesktopScreens final : public QObject, public DesktopPort {
  public:
    DesktopScreens(const DesktopPort& desktop, std::function<std::vector<ScreenRect>()> serverHeads,
                   std::function<void()> changed);

    ScreenSize screenSize() const override { return desktop_.screenSize(); }
    ScreenRect workArea() const override { return desktop_.workArea(); }
    std::vector<ScreenRect> monitors() const override;
    ScreenPoint pointerPosition() const override { return desktop_.pointerPosition(); }
    bool primaryButtonSwapped() const override { return desktop_.primaryButtonSwapped(); }

    // Qt's device pixel ratio on the primary monitor.
    double devicePixelRatio() const;

  private:
    void watch(QScreen* screen);
    void readScreens();
    void follow();

    const DesktopPort& desktop_;
    std::function<std::vector<ScreenRect>()> serverHeads_;
    std::function<void()> changed_;
    std::vector<ScreenRect> monitors_;
};

}  // namespace veltranix
