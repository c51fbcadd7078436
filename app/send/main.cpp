// veltranix-send MESSAGE [WPARAM [LPARAM]]
//
// Sends a running Veltranix one of the companion messages on the session
// D-Bus, as the companion on-screen keyboard does: WM_KEYVANE,
// WM_MACROKEYVANE, WM_USER (WPARAM: the companion's X window id), WM_USER+1,
// WM_USER+21 (or 1024, 1025, 1045). The payloads are 32-bit unsigned numbers,
// decimal or 0x-hexadecimal; missing ones are 0. Exit code 0 when delivered.

#include <QtCore/QCoreApplication>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

#include <cstdio>
#include <string>

#include "core/companion_messages.h"
#include "core/version.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: veltranix-send MESSAGE [WPARAM [LPARAM]] | --version\n"
                 "  MESSAGE: WM_KEYVANE, WM_MACROKEYVANE, WM_USER, WM_USER+1, WM_USER+21\n"
                 "  WPARAM, LPARAM: 32-bit unsigned numbers (decimal or 0x...), default 0\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (veltranix::PrintVersionIfAsked(argc, argv, "veltranix-send")) {
        return 0;
    }
    QCoreApplication application(argc, argv);
    if (argc < 2 || argc > 4) {
        return Usage();
    }
    const auto kind = veltranix::ParseCompanionMessageName(argv[1]);
    if (!kind || *kind == veltranix::CompanionMessageKind::TrackingStarted) {
        std::fprintf(stderr, "veltranix-send: unknown message \"%s\"\n", argv[1]);
        return Usage();
    }
    std::uint32_t payloads[2] = {0, 0};
    for (int index = 2; index < argc; ++index) {
        const auto payload = veltranix::ParseCompanionPayload(argv[index]);
        if (!payload) {
            std::fprintf(stderr, "veltranix-send: \"%s\" is not a 32-bit unsigned number\n",
                         argv[index]);
            return Usage();
        }
        payloads[index - 2] = *payload;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "veltranix-send: no D-Bus session bus\n");
        return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.veltranix.Veltranix"), QStringLiteral("/org/veltranix/Veltranix"),
        QStringLiteral("org.veltranix.Companion1"), QStringLiteral("Post"));
    const std::string name(veltranix::CompanionMessageName(*kind));
    call << QString::fromStdString(name) << payloads[0] << payloads[1];
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "veltranix-send: %s\n",
                     reply.errorMessage().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
