#pragma once

#include <string_view>

namespace veltranix {

// What the engine asks of the user interface. Called on the GUI thread.
class UserInterfacePort {
  public:
    virtual ~UserInterfacePort() = default;
    // A modal message box with an OK button; returns when the user closed it.
    virtual void showMessage(std::string_view text, std::string_view caption) = 0;
    // Ends the program through its normal shutdown path, after the current event.
    virtual void requestShutdown() = 0;
};

}  // namespace veltranix
