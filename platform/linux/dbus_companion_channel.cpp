#include "platform/linux/dbus_companion_channel.h"

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusServiceWatcher>
#include <QtDBus/QDBusVirtualObject>

// After Qt: the Xlib headers define macros that clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

namespace veltranix {
namespace {

// The answer to a message that the trust rules refuse.
constexpr const char* kNotPermitted = "org.veltranix.Companion1.Error.NotPermitted";
// The bus daemon answers at once; a stuck one must not hold the GUI thread long.
constexpr int kBusQueryTimeoutMs = 200;

// The process of the client that made `window`, as the X server knows it
// from the connection (X-Resource); none when the server cannot tell.
std::optional<std::uint32_t> ServerKnownProcess(Display* display, Window window) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XResQueryExtension(display, &eventBase, &errorBase)) {
        return std::nullopt;
    }
    XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    if (XResQueryClientIds(display, 1, &spec, &count, &values) != Success) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> process;
    for (long index = 0; index < count; ++index) {
        const pid_t pid = XResGetClientPid(&values[index]);
        if (pid > 0) {
            process = static_cast<std::uint32_t>(pid);
        }
    }
    XResClientIdsDestroy(count, values);
    return process;
}

// The window's _NET_WM_PID: written by its client, and by anyone else who
// cares to, so it counts only when the server cannot tell.
std::optional<std::uint32_t> AnnouncedProcess(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> process;
    if (type == XA_CARDINAL && format == 32 && count == 1 && data != nullptr) {
        process = static_cast<std::uint32_t>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return process;
}

// Whether `window` exists and was made by process `processId`. Caller holds
// the connection's mutex.
bool WindowBelongsTo(Display* display, Window window, std::uint32_t processId) {
    XErrorTrap trap(display);
    XWindowAttributes attributes{};
    // The X-Resource answer goes by the id's client part alone: the window
    // itself must exist too.
    if (window == 0 || XGetWindowAttributes(display, window, &attributes) == 0 || trap.failed()) {
        return false;
    }
    std::optional<std::uint32_t> owner = ServerKnownProcess(display, window);
    if (!owner) {
        owner = AnnouncedProcess(display, window);
    }
    return !trap.failed() && owner == processId;
}

// The process behind a unique bus name, as the bus daemon knows it.
std::optional<std::uint32_t> SenderProcess(const QDBusConnection& bus, const QString& sender) {
    QDBusMessage query = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    query << sender;
    const QDBusMessage reply = bus.call(query, QDBus::Block, kBusQueryTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        return std::nullopt;
    }
    bool ok = false;
    const std::uint32_t process = reply.arguments()[0].toUInt(&ok);
    return ok && process != 0 ? std::optional<std::uint32_t>(process) : std::nullopt;
}

}  // namespace

class DbusCompanionChannel::BusObject : public QDBusVirtualObject {
  public:
    explicit BusObject(CompanionMessageReceiver& receiver) : receiver_(receiver) {}
    void setChannel(DbusCompanionChannel* channel) { channel_ = channel; }
    void setShared(SharedInterface* shared) { shared_ = shared; }

    QString introspect(const QString& path) const override {
        if (path != QLatin1String(kPath)) {
            return {};
        }
        return (shared_ != nullptr ? shared_->introspection() : QString()) +
               QStringLiteral(
                   "<interface name=\"org.veltranix.Companion1\">"
                   "<method name=\"Post\"><arg name=\"message\" type=\"s\" direction=\"in\"/>"
                   "<arg name=\"wParam\" type=\"u\" direction=\"in\"/>"
                   "<arg name=\"lParam\" type=\"u\" direction=\"in\"/></method>"
                   "<signal name=\"Broadcast\"><arg name=\"message\" type=\"s\"/>"
                   "<arg name=\"wParam\" type=\"u\"/><arg name=\"lParam\" type=\"u\"/></signal>"
                   "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (shared_ != nullptr && message.path() == QLatin1String(kPath) &&
            message.interface() == shared_->interfaceName()) {
            shared_->handle(message, connection);
            return true;
        }
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
        if (!permitted(*kind, message, connection, arguments[1].toUInt())) {
            connection.send(message.createErrorReply(
                QLatin1String(kNotPermitted),
                QStringLiteral("\"%1\" is taken only from the program whose window it names")
                    .arg(arguments[0].toString())));
            return true;
        }
        if (!message.isReplyRequired() || connection.send(message.createReply())) {
            receiver_.companionMessage({*kind, arguments[1].toUInt(), arguments[2].toUInt()});
        }
        return true;
    }

  private:
    bool permitted(CompanionMessageKind kind, const QDBusMessage& message,
                   const QDBusConnection& connection, std::uint32_t wParam) const {
        switch (kind) {
            case CompanionMessageKind::CompanionShown:
                return channel_ != nullptr &&
                       channel_->admitCompanionWindow(connection, message.service(), wParam);
            case CompanionMessageKind::KeyboardRectangle:
            case CompanionMessageKind::MacroKeyboardRectangle:
            case CompanionMessageKind::CompanionHidden:
                return channel_ != nullptr && channel_->fromCompanion(message.service());
            case CompanionMessageKind::Ignored:
            case CompanionMessageKind::TrackingStarted:
                break;
        }
        return true;
    }

    CompanionMessageReceiver& receiver_;
    DbusCompanionChannel* channel_ = nullptr;
    SharedInterface* shared_ = nullptr;
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
        new DbusCompanionChannel(std::move(object), std::move(x), receiver));
}

DbusCompanionChannel::DbusCompanionChannel(std::unique_ptr<BusObject> object,
                                           std::shared_ptr<XDisplayConnection> x,
                                           CompanionMessageReceiver& receiver)
    : object_(std::move(object)), x_(std::move(x)), receiver_(receiver) {
    object_->setChannel(this);
}

DbusCompanionChannel::~DbusCompanionChannel() {
    object_->setChannel(nullptr);
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QLatin1String(kService));
    bus.unregisterObject(QLatin1String(kPath));
}

void DbusCompanionChannel::serveAlso(SharedInterface* shared) {
    object_->setShared(shared);
}

bool DbusCompanionChannel::admitCompanionWindow(const QDBusConnection& bus, const QString& sender,
                                                std::uint32_t windowId) {
    if (x_ == nullptr || sender.isEmpty()) {
        return false;
    }
    const std::optional<std::uint32_t> process = SenderProcess(bus, sender);
    if (!process) {
        return false;
    }
    {
        std::lock_guard lock(x_->mutex());
        if (!WindowBelongsTo(x_->display(), static_cast<Window>(windowId), *process)) {
            return false;
        }
    }
    if (!companion_ || companion_->busName != sender) {
        departureWatch_ = std::make_unique<QDBusServiceWatcher>(
            sender, bus, QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(departureWatch_.get(), &QDBusServiceWatcher::serviceUnregistered,
                         &context_, [this] { forgetCompanion(); });
    }
    companion_ = Companion{sender, *process, windowId};
    return true;
}

bool DbusCompanionChannel::fromCompanion(const QString& sender) const {
    return companion_ && !sender.isEmpty() && companion_->busName == sender;
}

std::optional<unsigned long> DbusCompanionChannel::companionWindowToTouch(std::uint64_t windowId) {
    if (x_ == nullptr || !companion_ || windowId == 0 || companion_->windowId != windowId) {
        return std::nullopt;
    }
    // Gone, or its id now names another program's window: never touched.
    if (!WindowBelongsTo(x_->display(), static_cast<Window>(windowId), companion_->processId)) {
        forgetCompanion();
        return std::nullopt;
    }
    return static_cast<unsigned long>(windowId);
}

void DbusCompanionChannel::forgetCompanion() {
    if (!companion_) {
        return;
    }
    companion_.reset();
    // Not from inside the watcher's own signal, nor into a caller's half-done step.
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            if (!companion_) {
                departureWatch_.reset();
                receiver_.companionGone();
            }
        },
        Qt::QueuedConnection);
}

void DbusCompanionChannel::broadcastTrackingStarted() {
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kPath), QLatin1String(kInterface), QStringLiteral("Broadcast"));
    signal << QStringLiteral("WM_VELTRANIX") << 0u << 0u;
    QDBusConnection::sessionBus().send(signal);
}

void DbusCompanionChannel::showCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    const std::optional<unsigned long> window = companionWindowToTouch(windowId);
    if (!window) {
        return;
    }
    XErrorTrap trap(x_->display());
    XMapRaised(x_->display(), *window);
}

void DbusCompanionChannel::hideCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    const std::optional<unsigned long> window = companionWindowToTouch(windowId);
    if (!window) {
        return;
    }
    Display* display = x_->display();
    XErrorTrap trap(display);
    XWithdrawWindow(display, *window, DefaultScreen(display));
}

void DbusCompanionChannel::closeCompanionWindow(std::uint64_t windowId) {
    if (x_ == nullptr) {
        return;
    }
    std::lock_guard lock(x_->mutex());
    const std::optional<unsigned long> target = companionWindowToTouch(windowId);
    if (!target) {
        return;
    }
    Display* display = x_->display();
    const Window window = *target;
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
    // Another program's window is never destroyed: it is asked, or left.
    if (!takesPart) {
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
