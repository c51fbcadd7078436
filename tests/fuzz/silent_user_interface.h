// A user interface that shows nothing, for the targets that read the program
// folder's files.
#pragma once

#include <string_view>

#include "core/user_interface_port.h"

namespace veltranix::fuzz {

class SilentUserInterface : public UserInterfacePort {
  public:
    void showMessage(std::string_view, std::string_view) override {}
    void requestShutdown() override {}
};

}  // namespace veltranix::fuzz
