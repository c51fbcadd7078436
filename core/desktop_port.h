#pragma once

#include <vector>

#include "core/geometry.h"

namespace veltranix {

// Questions about the desktop. GUI thread; cheap enough to call every frame.
class DesktopPort {
  public:
    virtual ~DesktopPort() = default;
    // The primary screen's size in pixels.
    virtual ScreenSize screenSize() const = 0;
    // The work area: the screen less panels and docks.
    virtual ScreenRect workArea() const = 0;
    // The monitors in device pixels, the primary first (right and bottom
    // exclusive); by default one monitor, the whole screen.
    virtual std::vector<ScreenRect> monitors() const {
        const ScreenSize size = screenSize();
        return {{0, 0, size.width, size.height}};
    }
    virtual ScreenPoint pointerPosition() const = 0;
    // True when the user has swapped the primary and secondary buttons.
    virtual bool primaryButtonSwapped() const = 0;
};

}  // namespace veltranix
