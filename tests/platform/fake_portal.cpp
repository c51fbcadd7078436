// A desktop portal with only the RemoteDesktop interface (version 2), for the
// tests of the program's portal backend. It answers every request at once,
// by a Response signal on the path the portal rules predict, sent before the
// method's reply, as a real portal may. It logs each call, with its D-Bus
// signature and the arguments that matter, one line each, to a file.
//
//   fake_portal LOG_FILE [--refuse-start | --silent-start]
//
// Start hands out the restore tokens "token-1", "token-2" ... unless refused
// (response 1, as when a person cancels the dialog) or left silent (no
// response ever, as when nobody answers the dialog). Prints "ready" once the
// portal's bus name is owned.
#include <cstdio>
#include <string>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTextStream>
#include <QVariantMap>

namespace {

constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";

// A number given as a D-Bus uint, else "not-u".
QString Unsigned(const QVariant& value) {
    return value.userType() == QMetaType::UInt ? QString::number(value.toUInt())
                                               : QStringLiteral("not-u");
}

QString ObjectPathFor(const QString& sender, const char* kind, const QString& token) {
    QString name = sender.mid(1);
    name.replace('.', '_');
    return QStringLiteral("%1/%2/%3/%4").arg(kPortalPath, kind, name, token);
}

class FakePortal : public QDBusVirtualObject {
  public:
    FakePortal(const QString& logPath, bool refuseStart, bool silentStart)
        : log_(logPath), refuseStart_(refuseStart), silentStart_(silentStart) {
        log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message,
                       const QDBusConnection& constConnection) override {
        QDBusConnection connection = constConnection;
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        QString line = member + "(" + message.signature() + ")";
        if (message.interface() == "org.freedesktop.DBus.Properties" && member == "Get") {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(
                arguments.value(1).toString() == "version" ? QVariant(2u) : QVariant(3u)))));
            return true;
        }
        if (message.interface() != kRemoteDesktop) {
            // Session.Close and Request.Close.
            write(message.interface().section('.', -1) + "." + line + " " + message.path());
            connection.send(message.createReply());
            return true;
        }
        if (member.startsWith("Notify")) {
            const QString session = arguments.value(0).value<QDBusObjectPath>().path();
            if (session != session_) {
                line += " unknown-session";
            }
            for (int index = 2; index < arguments.size(); ++index) {
                line += " " + arguments.at(index).toString();
            }
            write(line);
            connection.send(message.createReply());
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.last());
        const QString requestPath =
            ObjectPathFor(message.service(), "request", options.value("handle_token").toString());
        uint code = 0;
        QVariantMap results;
        if (member == "CreateSession") {
            session_ = ObjectPathFor(message.service(), "session",
                                     options.value("session_handle_token").toString());
            results.insert("session_handle", QVariant::fromValue(QDBusObjectPath(session_)));
        } else if (member == "SelectDevices") {
            line += " types=" + Unsigned(options.value("types")) +
                    " persist_mode=" + Unsigned(options.value("persist_mode")) +
                    " restore_token=" + options.value("restore_token").toString();
        } else if (member == "Start") {
            if (silentStart_) {
                write(line);
                connection.send(
                    message.createReply(QVariant::fromValue(QDBusObjectPath(requestPath))));
                return true;
            }
            if (refuseStart_) {
                code = 1;
            } else {
                results.insert("devices", 3u);
                results.insert("restore_token", QStringLiteral("token-%1").arg(++starts_));
            }
        }
        write(line);
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), requestPath, "org.freedesktop.portal.Request", "Response");
        response.setArguments({code, results});
        connection.send(response);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(requestPath))));
        return true;
    }

  private:
    void write(const QString& line) {
        log_.write((line + "\n").toUtf8());
        log_.flush();
    }

    QFile log_;
    const bool refuseStart_;
    const bool silentStart_;
    QString session_;
    int starts_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: fake_portal LOG_FILE [--refuse-start | --silent-start]\n");
        return 2;
    }
    FakePortal portal(arguments.at(1), arguments.contains("--refuse-start"),
                      arguments.contains("--silent-start"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kPortalPath, &portal, QDBusConnection::SubPath) ||
        !bus.registerService("org.freedesktop.portal.Desktop")) {
        std::fprintf(stderr, "fake_portal: cannot own the portal's name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
