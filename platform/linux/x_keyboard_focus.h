#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/x_display.h"

namespace veltranix {

// The X keyboard focus, taken by the macro editor while the user types into
// it and given back to the window that had it. GUI thread.
class XKeyboardFocus {
  public:
    explicit XKeyboardFocus(std::shared_ptr<XDisplayConnection> connection)
        : connection_(std::move(connection)) {}

    // The window that has the focus now; 0 when none or the root.
    std::uint64_t current() const;
    // Gives the focus back to `window` when it still exists; nothing for 0.
    void giveTo(std::uint64_t window) const;

  private:
    std::shared_ptr<XDisplayConnection> connection_;
};

}  // namespace veltranix
