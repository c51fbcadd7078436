#include "platform/linux/dbus_companion_channel.h"

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusVirtualObject>

// After Qt: the Xlib headers define macros that clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace veltranix {

class DbusCompanionChannel::BusObject : public QDBusVirtualObject {
  public:
    explicit BusObject(CompanionMessageReceiver& receiver) : receiver_(receiver) {}

    QString introspect(const QString& path) const override {
        if (path != QLatin1String(kPath)) {
            return {};
        }
        return QStringLiteral(
            "<interface name=\"org.veltranix.Companion1\">"
            "<method name=\"Post\"><arg name=\"message\" type=\"s\" direction=\"in\"/>"
            "<arg name=\"wParam\" type=\"u\" direction=\"in\"/>"
            "<arg name=\"lParam\" type=\"u\" direction=\"in\"/></method>"
            "<signal name=\"Broadcast\"><arg name=\"message\" type=\"s\"/>"
            "<arg name=\"wParam\" type=\"u\"/><arg name=\"lParam\" type=\"u\"/></signal>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String(kInterface) ||
            message.member() != QLatin1String("Post")) {
            return false;
        }
        const auto arguments = message.arguments();
        if (message.signature() != QLatin1String("suu") || arguments.size() != 3) {
            connection.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                QStringLiteral("Post takes a message name and two 32-bit unsigned payloads")));
            return true;
        }
        const std::string name = arguments[0].toString().toStdString();
        const auto kind = ParseCompanionMessageName(name);
        if (!kind || *kind == CompanionMessageKind::TrackingStarted) {
            connection.send(message.createErrorReply(
                QStringLiteral("org.veltranix.Companion1.Error.UnknownMessage"),
                QStringLiteral("unknown message \"%1\"").arg(arguments[0].toString())));
            return true;
        }
        if (!message.isReplyRequired() || connection.send(message.createReply())) {
            receiver_.companionMessage({*kind, arguments[1].toUInt(), arguments[2].toUInt()});
        }
        return true;
    }

  private:
    CompanionMessageReceiver& receiver_;
};

std::unique_ptr<DbusCompanionChannel> DbusCompanionChannel::Create(
    CompanionMessageReceiver& receiver, std::shared_ptr<XDisplayConnection> x, std::string* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = "no D-Bus session bus: " + bus.lastError().message().toStdString();
        return nullptr;
    }
    auto object = std::make_unique<BusObject>(receiver);
    if (!bus.registerVirtualObject(QLatin1String(kPath), object.get())) {
        *error = "cannot register the companion object on the session bus";
        return nullptr;
    }
    if (!bus.registerService(QLatin1String(kService))) {
        bus.unregisterObject(QLatin1String(kPath));
        *error = std::string("the bus name ") + kService + " is taken";
        return nullptr;
    }
    return std::unique_ptr<DbusCompanionChannel>(
        new DbusCompanionChannel(std::move(object), std::move(x)));
}

DbusCompanionChannel::DbusCompanionChannel(std::unique_ptr<BusObject> object,
                                           std::shared_ptr<XDisplayConnection> x)
    : object_(std::move(object)), x_(std::move(x)) {}

DbusCompanionChannel::~DbusCompanionChannel() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QLatin1String(kService));
    bus.unregisterObject(QLatin1String(kPath));
}

void DbusCompanionChannel::broadcastTrackingStarted() {
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kPath), QLatin1String(kInterface), QStringLiteral("Broadcast"));
    signal << QStringLiteral("WM_VELTRANIX") << 0u << 0u;
    QDBusConnection::sessionBus().send(signal);
}

void DbusCompanionChannel::showCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr || windowId == 0) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    XErrorTrap trap(x_->display());
    XMapRaised(x_->display(), static_cast<Window>(windowId));
}

void DbusCompanionChannel::hideCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr || windowId == 0) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    Display* display = x_->display();
    XErrorTrap trap(display);
    XWithdrawWindow(display, static_cast<Window>(windowId), DefaultScreen(display));
}

void DbusCompanionChannel::closeCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr || windowId == 0) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    Display* display = x_->display();
    const Window window = static_cast<Window>(windowId);
    XErrorTrap trap(display);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool takesPart = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        for (int index = 0; index < count; ++index) {
            takesPart = takesPart || protocols[index] == deleteWindow;
        }
        XFree(protocols);
    }
    if (!takesPart) {
        XDestroyWindow(display, window);
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

}  // namespace veltranix
