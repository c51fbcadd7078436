#pragma once

#include <cstdint>

#include "core/geometry.h"

namespace veltranix {

// Which top-level window lies under a screen point, so that the engine can
// tell its own windows (whose ids the user interface hands it) from the
// user's. GUI thread.
class WindowLookupPort {
  public:
    virtual ~WindowLookupPort() = default;
    // The id of the top-level window under `point`; 0 when only the desktop is there.
    virtual std::uint64_t topLevelWindowAt(ScreenPoint point) const = 0;
};

}  // namespace veltranix
