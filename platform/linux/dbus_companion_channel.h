#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QtCore/QObject>
#include <QtCore/QString>

#include "core/companion_messages.h"
#include "core/companion_port.h"
#include "platform/linux/x_display.h"

class QDBusConnection;
class QDBusMessage;
class QDBusServiceWatcher;

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
//
// Trust: "WM_USER" is taken only when the window belongs to the sender (the
// X server's record of the window's client process, or the window's
// _NET_WM_PID when the server keeps none, equals the sender's process on
// the bus); the sender then is the companion. The keyboard rectangles and
// "WM_USER+1" are taken from the companion only. Anything refused is
// answered with org.veltranix.Companion1.Error.NotPermitted. The companion
// is forgotten when it leaves the bus or its window is gone.
//     signal Broadcast(s message, u wParam, u lParam)
//         "WM_VELTRANIX", 0, 0 each time the head starts driving the pointer.
//
// Lives on the GUI thread (the thread of the Qt event loop), where the
// receiver is called. The companion's window is shown, hidden and closed
// through X by the id it handed over.
class DbusCompanionChannel : public CompanionPort {
  public:
    // Another interface on the same object: the bus gives one path a single
    // handler, which passes it the messages of its interface.
    class SharedInterface {
      public:
        virtual ~SharedInterface() = default;
        virtual QString interfaceName() const = 0;
        // The interface's introspection XML.
        virtual QString introspection() const = 0;
        // Answers a message of the interface.
        virtual void handle(const QDBusMessage& message, const QDBusConnection& connection) = 0;
    };

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
    // Each acts on the companion's own window only. The close asks the
    // window to close as its close button does (WM_DELETE_WINDOW); a window
    // that does not take part in that protocol is left as it is.
    void closeCompanionWindow(std::uint64_t windowId) override;

    // Serves `shared` beside the companion messages until it is withdrawn
    // (null); it must outlive its service.
    void serveAlso(SharedInterface* shared);

  private:
    class BusObject;
    struct Companion {
        QString busName;  // the sender's unique name
        std::uint32_t processId = 0;
        std::uint64_t windowId = 0;
    };
    DbusCompanionChannel(std::unique_ptr<BusObject> object, std::shared_ptr<XDisplayConnection> x,
                         CompanionMessageReceiver& receiver);

    // The trust decisions, for the bus object: true when the message may pass.
    bool admitCompanionWindow(const QDBusConnection& bus, const QString& sender,
                              std::uint32_t windowId);
    bool fromCompanion(const QString& sender) const;
    // The window to act on: the companion's, while it still belongs to it.
    std::optional<unsigned long> companionWindowToTouch(std::uint64_t windowId);
    // Forgets the companion and tells the receiver, after the current event.
    void forgetCompanion();

    std::unique_ptr<BusObject> object_;
    std::shared_ptr<XDisplayConnection> x_;
    CompanionMessageReceiver& receiver_;
    std::optional<Companion> companion_;
    std::unique_ptr<QDBusServiceWatcher> departureWatch_;
    QObject context_;
};

}  // namespace veltranix
