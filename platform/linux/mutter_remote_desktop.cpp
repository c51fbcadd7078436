#include "platform/linux/mutter_remote_desktop.h"

#include <linux/input-event-codes.h>

#include <atomic>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>

namespace veltranix {
namespace {

constexpr const char* kRemoteDesktopPath = "/org/gnome/Mutter/RemoteDesktop";
constexpr const char* kRemoteDesktopInterface = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr const char* kScreenCastService = "org.gnome.Mutter.ScreenCast";
constexpr const char* kScreenCastPath = "/org/gnome/Mutter/ScreenCast";
constexpr const char* kScreenCastInterface = "org.gnome.Mutter.ScreenCast";
constexpr const char* kScreenCastSessionInterface = "org.gnome.Mutter.ScreenCast.Session";
constexpr const char* kStreamInterface = "org.gnome.Mutter.ScreenCast.Stream";
constexpr const char* kDisplayConfigService = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kDisplayConfigPath = "/org/gnome/Mutter/DisplayConfig";
constexpr int kCallTimeoutMs = 5000;
constexpr std::uint32_t kShiftLeftKeysym = 0xFFE1;

// One method call and its reply; an error reply sets `error`.
QDBusMessage Call(QDBusConnection& connection, const char* service, const QString& path,
                  const char* interface, const char* method, const QVariantList& arguments,
                  std::string* error) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusMessage reply = connection.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error = std::string(method) + ": " + reply.errorMessage().toStdString();
    }
    return reply;
}

QVariant Property(QDBusConnection& connection, const char* service, const QString& path,
                  const char* interface, const char* name, std::string* error) {
    const QDBusMessage reply = Call(connection, service, path, "org.freedesktop.DBus.Properties",
                                    "Get", {QString(interface), QString(name)}, error);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().first().value<QDBusVariant>().variant();
}

// The connectors of the logical monitors, the primary first.
QStringList MonitorConnectors(QDBusConnection& connection) {
    std::string error;
    const QDBusMessage reply = Call(connection, kDisplayConfigService, kDisplayConfigPath,
                                    kDisplayConfigService, "GetCurrentState", {}, &error);
    QStringList connectors;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 3) {
        return connectors;
    }
    // a(iiduba(ssss)a{sv}): x, y, scale, transform, primary, monitors, properties.
    const QDBusArgument logical = reply.arguments().at(2).value<QDBusArgument>();
    logical.beginArray();
    while (!logical.atEnd()) {
        int x = 0;
        int y = 0;
        double scale = 1.0;
        uint transform = 0;
        bool primary = false;
        logical.beginStructure();
        logical >> x >> y >> scale >> transform >> primary;
        QString first;
        logical.beginArray();
        while (!logical.atEnd()) {
            QString connector, vendor, product, serial;
            logical.beginStructure();
            logical >> connector >> vendor >> product >> serial;
            logical.endStructure();
            if (first.isEmpty()) {
                first = connector;
            }
        }
        logical.endArray();
        QVariantMap properties;
        logical >> properties;
        logical.endStructure();
        if (!first.isEmpty()) {
            primary ? connectors.prepend(first) : connectors.append(first);
        }
    }
    logical.endArray();
    return connectors;
}

// A pair of integers in a stream's parameters ("position", "size").
bool IntegerPair(const QVariant& value, int* first, int* second) {
    if (!value.canConvert<QDBusArgument>()) {
        return false;
    }
    const QDBusArgument pair = value.value<QDBusArgument>();
    pair.beginStructure();
    pair >> *first >> *second;
    pair.endStructure();
    return true;
}

}  // namespace

bool MutterRemoteDesktop::Present() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(kService).value() &&
           bus.interface()->isServiceRegistered(kScreenCastService).value();
}

std::unique_ptr<MutterRemoteDesktop> MutterRemoteDesktop::Open(PointerWhereabouts& whereabouts,
                                                               std::string* error) {
    static std::atomic<int> openings{0};
    QDBusConnection connection = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus,
        QStringLiteral("veltranix-remote-desktop-%1").arg(openings.fetch_add(1)));
    if (!connection.isConnected()) {
        *error = "no session bus: " + connection.lastError().message().toStdString();
        return nullptr;
    }
    const ScreenRect desktop = whereabouts.desktop();
    // With streams first; a session whose streams cannot start (no PipeWire)
    // is given up for one without.
    for (const bool withStreams : {true, false}) {
        error->clear();
        const QDBusMessage created = Call(connection, kService, kRemoteDesktopPath,
                                          kRemoteDesktopInterface, "CreateSession", {}, error);
        if (!error->empty()) {
            return nullptr;
        }
        const QString session = created.arguments().value(0).value<QDBusObjectPath>().path();
        std::vector<Stream> streams;
        if (withStreams) {
            const QString sessionId =
                Property(connection, kService, session, kSessionInterface, "SessionId", error)
                    .toString();
            QVariantMap properties;
            properties.insert("remote-desktop-session-id", sessionId);
            const QDBusMessage cast =
                Call(connection, kScreenCastService, kScreenCastPath, kScreenCastInterface,
                     "CreateSession", {properties}, error);
            const QString castSession = cast.arguments().value(0).value<QDBusObjectPath>().path();
            QStringList connectors = MonitorConnectors(connection);
            if (connectors.isEmpty()) {
                connectors.append(QString());  // the primary monitor
            }
            for (const QString& connector : connectors) {
                if (!error->empty()) {
                    break;
                }
                const QDBusMessage recorded =
                    Call(connection, kScreenCastService, castSession, kScreenCastSessionInterface,
                         "RecordMonitor", {connector, QVariantMap()}, error);
                const QString stream =
                    recorded.arguments().value(0).value<QDBusObjectPath>().path();
                if (stream.isEmpty()) {
                    continue;
                }
                std::string parameterError;
                const QVariantMap parameters = qdbus_cast<QVariantMap>(
                    Property(connection, kScreenCastService, stream, kStreamInterface, "Parameters",
                             &parameterError));
                int x = 0, y = 0, width = 0, height = 0;
                ScreenRect area = desktop;
                if (IntegerPair(parameters.value("position"), &x, &y) &&
                    IntegerPair(parameters.value("size"), &width, &height) && width > 0 &&
                    height > 0) {
                    area = {x, y, x + width, y + height};
                }
                streams.push_back({stream, area});
            }
        }
        if (error->empty()) {
            Call(connection, kService, session, kSessionInterface, "Start", {}, error);
        }
        if (error->empty()) {
            auto opened = std::unique_ptr<MutterRemoteDesktop>(
                new MutterRemoteDesktop(connection, session, std::move(streams), whereabouts));
            // On a new seat the first key event makes the keyboard, and clients
            // miss that first key: a lone Shift goes first.
            opened->sendKeysym(kShiftLeftKeysym, KeyDirection::Press);
            opened->sendKeysym(kShiftLeftKeysym, KeyDirection::Release);
            return opened;
        }
        std::string ignored;
        Call(connection, kService, session, kSessionInterface, "Stop", {}, &ignored);
    }
    return nullptr;
}

MutterRemoteDesktop::MutterRemoteDesktop(QDBusConnection connection, QString sessionPath,
                                         std::vector<Stream> streams,
                                         PointerWhereabouts& whereabouts)
    : connection_(std::move(connection)),
      sessionPath_(std::move(sessionPath)),
      streams_(std::move(streams)),
      whereabouts_(whereabouts) {}

MutterRemoteDesktop::~MutterRemoteDesktop() {
    std::string ignored;
    Call(connection_, kService, sessionPath_, kSessionInterface, "Stop", {}, &ignored);
    QDBusConnection::disconnectFromBus(connection_.name());
}

void MutterRemoteDesktop::notify(const char* method, const QVariantList& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, sessionPath_, kSessionInterface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    std::lock_guard lock(sendMutex_);
    connection_.send(message);
}

std::vector<ScreenRect> MutterRemoteDesktop::monitorAreas() const {
    std::vector<ScreenRect> areas;
    for (const Stream& stream : streams_) {
        areas.push_back(stream.area);
    }
    return areas;
}

void MutterRemoteDesktop::sendButton(PointerButton button, KeyDirection direction) {
    const int code = EvdevButtonCode(button);
    notify("NotifyPointerButton", {code, direction == KeyDirection::Press});
}

void MutterRemoteDesktop::sendWheel(WheelAxis axis, int steps) {
    if (steps == 0) {
        return;
    }
    // Axis 0 is vertical, 1 horizontal; positive steps go down or right.
    const uint axisNumber = axis == WheelAxis::Vertical ? 0 : 1;
    notify("NotifyPointerAxisDiscrete", {axisNumber, steps});
}

void MutterRemoteDesktop::moveTo(ScreenPoint point) {
    if (streams_.empty()) {
        const ScreenPoint from = whereabouts_.known();
        const ScreenPoint to = whereabouts_.placedAt(point);
        notify("NotifyPointerMotionRelative",
               {static_cast<double>(to.x - from.x), static_cast<double>(to.y - from.y)});
        return;
    }
    const std::vector<ScreenRect> areas = monitorAreas();
    const std::optional<MonitorPoint> target = MonitorPointFor(areas, point);
    if (!target) {
        return;
    }
    const ScreenRect& area = streams_[target->monitor].area;
    whereabouts_.placedAt({area.left + target->local.x, area.top + target->local.y});
    notify("NotifyPointerMotionAbsolute",
           {streams_[target->monitor].path, static_cast<double>(target->local.x),
            static_cast<double>(target->local.y)});
}

void MutterRemoteDesktop::moveBy(int dxPixels, int dyPixels) {
    whereabouts_.movedBy(dxPixels, dyPixels);
    notify("NotifyPointerMotionRelative",
           {static_cast<double>(dxPixels), static_cast<double>(dyPixels)});
}

void MutterRemoteDesktop::sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) {
    notify("NotifyKeyboardKeycode",
           {static_cast<uint>(linuxKeyCode), direction == KeyDirection::Press});
}

bool MutterRemoteDesktop::sendKeysym(std::uint32_t keysym, KeyDirection direction) {
    notify("NotifyKeyboardKeysym", {static_cast<uint>(keysym), direction == KeyDirection::Press});
    return true;
}

}  // namespace veltranix
