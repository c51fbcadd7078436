#pragma once

#include "core/desktop_port.h"

namespace veltranix::testing {

// A desktop whose answers the test sets.
class FakeDesktop : public DesktopPort {
  public:
    ScreenSize screenSize() const override { return screen; }
    ScreenRect workArea() const override { return work; }
    ScreenPoint pointerPosition() const override { return pointer; }
    bool primaryButtonSwapped() const override { return swapped; }

    ScreenSize screen{1280, 1024};
    ScreenRect work{0, 0, 1280, 984};
    ScreenPoint pointer{640, 512};
    bool swapped = false;
};

}  // namespace veltranix::testing
