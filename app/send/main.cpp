// veltranix-send pause|resume|toggle|recentre|status|click KIND|profile NAME
// veltranix-send MESSAGE [WPARAM [LPARAM]]
//
// Asks a running Veltranix, on the session D-Bus, to do what its control
// interface offers, or sends it one of the companion messages, as the
// companion on-screen keyboard does: WM_KEYVANE, WM_MACROKEYVANE, WM_USER
// (WPARAM: the companion's X window id), WM_USER+1, WM_USER+21 (or 1024,
// 1025, 1045). The payloads are 32-bit unsigned numbers, decimal or
// 0x-hexadecimal; missing ones are 0. Exit code 0 when carried out (status:
// the status printed), 1 with a one-line reason when not, 2 for a wrong
// command line.

#include <QtCore/QCoreApplication>
#include <QtDBus/QDBusArgument>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusMetaType>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/companion_messages.h"
#include "core/version.h"

namespace {

constexpr const char* kService = "org.veltranix.Veltranix";
constexpr const char* kPath = "/org/veltranix/Veltranix";
constexpr int kAnswerTimeoutMs = 5000;

// The control commands and the methods they call.
struct ControlCommand {
    std::string_view word;
    const char* method;
    int arguments;  // 0, or 1: the kind or the profile
};
constexpr std::array kControlCommands{
    ControlCommand{"pause", "Pause", 0},        ControlCommand{"resume", "Resume", 0},
    ControlCommand{"toggle", "TogglePause", 0}, ControlCommand{"recentre", "Recentre", 0},
    ControlCommand{"status", "Status", 0},      ControlCommand{"click", "Click", 1},
    ControlCommand{"profile", "SetProfile", 1},
};

int Usage(const char* problem) {
    std::fprintf(stderr,
                 "veltranix-send: %s; usage: veltranix-send pause|resume|toggle|recentre|status|"
                 "click KIND|profile NAME, or MESSAGE [WPARAM [LPARAM]], or --version\n",
                 problem);
    return 2;
}

// The answer, or the one-line reason and 1.
int Call(QDBusMessage call, QDBusMessage* reply) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "veltranix-send: no D-Bus session bus\n");
        return 1;
    }
    call.setAutoStartService(false);
    *reply = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
    if (reply->type() == QDBusMessage::ErrorMessage) {
        const QString name = reply->errorName();
        if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
            name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            std::fprintf(stderr, "veltranix-send: Veltranix is not running\n");
        } else {
            std::fprintf(stderr, "veltranix-send: %s\n",
                         reply->errorMessage().toLocal8Bit().constData());
        }
        return 1;
    }
    return 0;
}

int PrintStatus(const QDBusMessage& reply) {
    if (reply.arguments().size() != 1) {
        std::fprintf(stderr, "veltranix-send: the status came without its fields\n");
        return 1;
    }
    const QVariantMap status = qdbus_cast<QVariantMap>(reply.arguments().at(0));
    std::printf(
        "state=%s\nframesPerSecond=%.1f\nprofile=%s\npointerBackend=%s\n",
        status.value(QStringLiteral("state")).toString().toLocal8Bit().constData(),
        status.value(QStringLiteral("framesPerSecond")).toDouble(),
        status.value(QStringLiteral("profile")).toString().toLocal8Bit().constData(),
        status.value(QStringLiteral("pointerBackend")).toString().toLocal8Bit().constData());
    return 0;
}

int SendControl(const ControlCommand& command, int argc, char** argv) {
    if (argc != 2 + command.arguments) {
        return Usage(command.arguments == 0 ? "this command takes nothing more"
                                            : "this command takes one name");
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kService), QLatin1String(kPath), QStringLiteral("org.veltranix.Control1"),
        QLatin1String(command.method));
    if (command.arguments == 1) {
        call << QString::fromLocal8Bit(argv[2]);
    }
    QDBusMessage reply;
    if (const int failed = Call(call, &reply)) {
        return failed;
    }
    return command.word == "status" ? PrintStatus(reply) : 0;
}

int SendCompanionMessage(int argc, char** argv) {
    if (argc > 4) {
        return Usage("a message takes at most two payloads");
    }
    const auto kind = veltranix::ParseCompanionMessageName(argv[1]);
    if (!kind || *kind == veltranix::CompanionMessageKind::TrackingStarted) {
        return Usage((std::string("unknown command or message \"") + argv[1] + "\"").c_str());
    }
    std::uint32_t payloads[2] = {0, 0};
    for (int index = 2; index < argc; ++index) {
        const auto payload = veltranix::ParseCompanionPayload(argv[index]);
        if (!payload) {
            return Usage(
                (std::string("\"") + argv[index] + "\" is not a 32-bit unsigned number").c_str());
        }
        payloads[index - 2] = *payload;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kService), QLatin1String(kPath), QStringLiteral("org.veltranix.Companion1"),
        QStringLiteral("Post"));
    const std::string name(veltranix::CompanionMessageName(*kind));
    call << QString::fromStdString(name) << payloads[0] << payloads[1];
    QDBusMessage reply;
    return Call(call, &reply);
}

}  // namespace

int main(int argc, char** argv) {
    if (veltranix::PrintVersionIfAsked(argc, argv, "veltranix-send")) {
        return 0;
    }
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        return Usage("nothing to send");
    }
    for (const ControlCommand& command : kControlCommands) {
        if (command.word == argv[1]) {
            return SendControl(command, argc, argv);
        }
    }
    return SendCompanionMessage(argc, argv);
}
