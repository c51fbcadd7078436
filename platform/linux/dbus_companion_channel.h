#pragma once

#include <memory>
#include <string>

#include "core/companion_messages.h"
#include "core/companion_port.h"
#include "platform/linux/x_display.h"

namespace veltranix {

// The companion messages on the session D-Bus.
//
//   bus name   org.veltranix.Veltranix
//   object     /org/veltranix/Veltranix
//   interface  org.veltranix.Companion1
//     method Post(s message, u wParam, u lParam)
//         message: "WM_KEYVANE", "WM_MACROKEYVANE", "WM_USER" (wParam: the
//         companion's X window id), "WM_USER+1", "WM_USER+21" (or 1024, 1025,
//         1045); an unknown name is answered with the error
//         org.veltranix.Companion1.Error.UnknownMessage.
//     signal Broadcast(s message, u wParam, u lParam)
//         "WM_VELTRANIX", 0, 0 each time the head starts driving the pointer.
//
// Lives on the GUI thread (the thread of the Qt event loop), where the
// receiver is called. The companion's window is shown, hidden and closed
// through X by the id it handed over.
class DbusCompanionChannel : public CompanionPort {
  public:
    static constexpr const char* kService = "org.veltranix.Veltranix";
    static constexpr const char* kPath = "/org/veltranix/Veltranix";
    static constexpr const char* kInterface = "org.veltranix.Companion1";

    // Null, with the reason in `error`, when there is no session bus or the
    // name is taken. `x` may be null (then the window requests do nothing).
    static std::unique_ptr<DbusCompanionChannel> Create(CompanionMessageReceiver& receiver,
                                                        std::shared_ptr<XDisplayConnection> x,
                                                        std::string* error);
    ~DbusCompanionChannel() override;

    void broadcastTrackingStarted() override;
    void showCompanionWindow(std::uint64_t windowId) override;
    void hideCompanionWindow(std::uint64_t windowId) override;
    // Asks the window to close as its close button does (WM_DELETE_WINDOW),
    // or destroys it when it does not take part in that protocol.
    void closeCompanionWindow(std::uint64_t windowId) override;

  private:
    class BusObject;
    DbusCompanionChannel(std::unique_ptr<BusObject> object, std::shared_ptr<XDisplayConnection> x);

    std::unique_ptr<BusObject> object_;
    std::shared_ptr<XDisplayConnection> x_;
};

}  // namespace veltranix
