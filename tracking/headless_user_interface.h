#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/user_interface_port.h"

namespace veltranix {

struct ShownMessage {
    std::string text;
    std::string caption;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Records the messages shown and the shutdown requests instead of acting on
// them: the headless ports' user interface, in a header of its own so that it
// needs no pointer headers (X11's None would clash with them).
class HeadlessUserInterface : public UserInterfacePort {
  public:
    void showMessage(std::string_view text, std::string_view caption) override {
        messages.push_back({std::string(text), std::string(caption)});
    }
    void requestShutdown() override { ++shutdownRequests; }
    std::vector<ShownMessage> messages;
    int shutdownRequests = 0;
};

}  // namespace veltranix
