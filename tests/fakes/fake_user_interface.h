#pragma once

#include <string>
#include <vector>

#include "core/user_interface_port.h"

namespace veltranix::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Records the messages the engine shows and its shutdown requests.
class FakeUserInterface : public UserInterfacePort {
  public:
    void showMessage(std::string_view text, std::string_view caption) override {
        messages.push_back({std::string(text), std::string(caption)});
    }
    void requestShutdown() override { ++shutdownRequests; }

    std::vector<ShownMessage> messages;
    int shutdownRequests = 0;
};

}  // namespace veltranix::testing
