#pragma once

#include <cstdint>

namespace veltranix {

// Messages to the companion on-screen keyboard and any other listener. GUI thread.
class CompanionPort {
  public:
    virtual ~CompanionPort() = default;
    // "WM_VELTRANIX" with both payloads 0: the pointer is now driven by the head.
    virtual void broadcastTrackingStarted() = 0;
    // Shows, hides or closes the companion's window by the id it handed over.
    virtual void showCompanionWindow(std::uint64_t windowId) = 0;
    virtual void hideCompanionWindow(std::uint64_t windowId) = 0;
    virtual void closeCompanionWindow(std::uint64_t windowId) = 0;
};

}  // namespace veltranix
