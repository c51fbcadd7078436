#include "platform/linux/show_window_request.h"

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusVirtualObject>

#include "platform/linux/dbus_companion_channel.h"

namespace veltranix {
namespace {

// The running program answers at once; a stuck one must not hold the second
// start for long.
constexpr int kAnswerTimeoutMs = 3000;

}  // namespace

class ShowWindowService::BusObject : public QDBusVirtualObject {
  public:
    explicit BusObject(std::function<void()> show) : show_(std::move(show)) {}

    QString introspect(const QString& path) const override {
        if (path != QLatin1String(kPath)) {
            return {};
        }
        return QStringLiteral(
            "<interface name=\"org.veltranix.MainWindow1\">"
            "<method name=\"Show\"/></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String(kInterface) ||
            message.member() != QLatin1String("Show")) {
            return false;
        }
        connection.send(message.createReply());
        show_();
        return true;
    }

  private:
    std::function<void()> show_;
};

std::unique_ptr<ShowWindowService> ShowWindowService::Register(std::function<void()> show,
                                                               std::string* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = "no D-Bus session bus: " + bus.lastError().message().toStdString();
        return nullptr;
    }
    auto object = std::make_unique<BusObject>(std::move(show));
    if (!bus.registerVirtualObject(QLatin1String(kPath), object.get())) {
        *error = std::string("cannot register ") + kPath + " on the session bus";
        return nullptr;
    }
    return std::unique_ptr<ShowWindowService>(new ShowWindowService(std::move(object)));
}

ShowWindowService::ShowWindowService(std::unique_ptr<BusObject> object)
    : object_(std::move(object)) {}

ShowWindowService::~ShowWindowService() {
    QDBusConnection::sessionBus().unregisterObject(QLatin1String(kPath));
}

bool AskRunningProgramToShowItsWindow(std::string* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = "no D-Bus session bus: " + bus.lastError().message().toStdString();
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(DbusCompanionChannel::kService), QLatin1String(ShowWindowService::kPath),
        QLatin1String(ShowWindowService::kInterface), QStringLiteral("Show"));
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error = reply.errorMessage().toStdString();
        return false;
    }
    return true;
}

}  // namespace veltranix
