#include "platform/linux/dbus_control_channel.h"

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

namespace veltranix {
namespace {

QString ErrorName(ControlRefusal refusal) {
    switch (refusal) {
        case ControlRefusal::UnknownKind:
            return QStringLiteral("org.veltranix.Control1.Error.UnknownKind");
        case ControlRefusal::UnknownProfile:
            return QStringLiteral("org.veltranix.Control1.Error.UnknownProfile");
        case ControlRefusal::NotTracking:
            return QStringLiteral("org.veltranix.Control1.Error.NotTracking");
        case ControlRefusal::WindowOpen:
            return QStringLiteral("org.veltranix.Control1.Error.WindowOpen");
        case ControlRefusal::Busy:
            return QStringLiteral("org.veltranix.Control1.Error.Busy");
        case ControlRefusal::None:
        case ControlRefusal::Failed:
            break;
    }
    return QStringLiteral("org.veltranix.Control1.Error.Failed");
}

}  // namespace

DbusControlChannel::DbusControlChannel(DbusCompanionChannel& companion, ControlPort& control)
    : companion_(companion), control_(control) {
    companion_.serveAlso(this);
}

DbusControlChannel::~DbusControlChannel() {
    companion_.serveAlso(nullptr);
}

QString DbusControlChannel::interfaceName() const {
    return QLatin1String(kInterface);
}

QString DbusControlChannel::introspection() const {
    return QStringLiteral(
        "<interface name=\"org.veltranix.Control1\">"
        "<method name=\"Pause\"/><method name=\"Resume\"/><method name=\"TogglePause\"/>"
        "<method name=\"Recentre\"/>"
        "<method name=\"Click\"><arg name=\"kind\" type=\"s\" direction=\"in\"/></method>"
        "<method name=\"SetProfile\"><arg name=\"name\" type=\"s\" direction=\"in\"/></method>"
        "<method name=\"Status\"><arg name=\"status\" type=\"a{sv}\" direction=\"out\"/></method>"
        "<signal name=\"StateChanged\"><arg name=\"state\" type=\"s\"/></signal>"
        "</interface>");
}

void DbusControlChannel::handle(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString member = message.member();
    const bool takesName =
        member == QLatin1String("Click") || member == QLatin1String("SetProfile");
    if (message.signature() != QLatin1String(takesName ? "s" : "")) {
        connection.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
            takesName ? QStringLiteral("%1 takes one string").arg(member)
                      : QStringLiteral("%1 takes no arguments").arg(member)));
        return;
    }
    if (member == QLatin1String("Status")) {
        const ControlStatus status = control_.status();
        QVariantMap map;
        map.insert(QStringLiteral("state"), QString::fromStdString(status.state));
        map.insert(QStringLiteral("framesPerSecond"), status.framesPerSecond);
        map.insert(QStringLiteral("profile"), QString::fromStdString(status.profile));
        map.insert(QStringLiteral("pointerBackend"), QString::fromStdString(status.pointerBackend));
        connection.send(message.createReply(QVariant(map)));
        return;
    }
    const std::string name = takesName ? message.arguments().at(0).toString().toStdString() : "";
    ControlAnswer answer;
    if (member == QLatin1String("Pause")) {
        answer = control_.pause();
    } else if (member == QLatin1String("Resume")) {
        answer = control_.resume();
    } else if (member == QLatin1String("TogglePause")) {
        answer = control_.togglePause();
    } else if (member == QLatin1String("Recentre")) {
        answer = control_.recentre();
    } else if (member == QLatin1String("Click")) {
        answer = control_.click(name);
    } else if (member == QLatin1String("SetProfile")) {
        answer = control_.setProfile(name);
    } else {
        connection.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
            QStringLiteral("%1 has no method %2").arg(QLatin1String(kInterface), member)));
        return;
    }
    connection.send(answer.carriedOut()
                        ? message.createReply()
                        : message.createErrorReply(ErrorName(answer.refusal),
                                                   QString::fromStdString(answer.reason)));
    // The state a request changed is told at once, not at the next frame.
    announceState(control_.status().state);
}

void DbusControlChannel::announceState(std::string_view state) {
    if (state == announcedState_) {
        return;
    }
    announcedState_ = std::string(state);
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(DbusCompanionChannel::kPath),
                                   QLatin1String(kInterface), QStringLiteral("StateChanged"));
    signal << QString::fromStdString(announcedState_);
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace veltranix
