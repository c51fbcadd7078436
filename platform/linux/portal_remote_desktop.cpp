#include "platform/linux/portal_remote_desktop.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <optional>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include "platform/linux/atomic_file.h"

namespace veltranix {
namespace {

constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kRemoteDesktopInterface = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
// The portal may be started on demand by the bus: its first reply can be slow.
constexpr int kCallTimeoutMs = 25000;
constexpr int kResponseTimeoutMs = 30000;
// A desktop without a portal answers at once; one whose portal the bus starts
// on demand takes a moment.
constexpr int kVersionQueryTimeoutMs = 5000;
// Long enough for a person to read the desktop's dialog and answer it.
constexpr int kApprovalTimeoutMs = 180000;
constexpr std::uint32_t kKeyboardDevice = 1;
constexpr std::uint32_t kPointerDevice = 2;
constexpr std::uint32_t kPersistUntilRevoked = 2;
constexpr std::uint32_t kShiftLeftKeysym = 0xFFE1;
constexpr std::size_t kLongestToken = 4096;
// How often a wait for the desktop looks whether the program is to end.
constexpr int kExitCheckPeriodMs = 100;

bool Raised(const ExitRequest* exitRequest) {
    return exitRequest != nullptr && exitRequest->raised();
}

// The answer of a portal request: 0 granted, 1 cancelled by the person,
// 2 ended otherwise.
struct PortalResponse {
    std::uint32_t code = 2;
    QVariantMap results;
};

// Catches the Response signal of one request. The portal may send it before
// the reply to the method that made the request, so the listening starts
// before the call, on the path the portal will use.
class ResponseListener : public QObject {
    Q_OBJECT

  public:
    explicit ResponseListener(QDBusConnection connection) : connection_(std::move(connection)) {}
    ~ResponseListener() override {
        for (const QString& path : paths_) {
            connection_.disconnect(PortalRemoteDesktop::kService, path, kRequestInterface,
                                   "Response", this, SLOT(onResponse(QDBusMessage)));
        }
    }

    bool listen(const QString& requestPath) {
        if (paths_.contains(requestPath)) {
            return true;
        }
        paths_.append(requestPath);
        return connection_.connect(PortalRemoteDesktop::kService, requestPath, kRequestInterface,
                                   "Response", this, SLOT(onResponse(QDBusMessage)));
    }

    // Waits for the response with Qt's events flowing; none after `timeoutMs`,
    // nor once an exit is requested.
    std::optional<PortalResponse> wait(int timeoutMs, const ExitRequest* exitRequest) {
        if (!response_ && !Raised(exitRequest)) {
            QEventLoop loop;
            QTimer timeout;
            timeout.setSingleShot(true);
            QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
            timeout.start(timeoutMs);
            QTimer exitCheck;
            QObject::connect(&exitCheck, &QTimer::timeout, &loop, [&] {
                if (Raised(exitRequest)) {
                    loop.quit();
                }
            });
            exitCheck.start(kExitCheckPeriodMs);
            loop_ = &loop;
            loop.exec();
            loop_ = nullptr;
        }
        return response_;
    }

  public Q_SLOTS:
    void onResponse(const QDBusMessage& message) {
        if (response_ || message.arguments().size() < 2) {
            return;
        }
        PortalResponse response;
        response.code = message.arguments().at(0).toUInt();
        response.results = qdbus_cast<QVariantMap>(message.arguments().at(1));
        response_ = std::move(response);
        if (loop_ != nullptr) {
            loop_->quit();
        }
    }

  private:
    QDBusConnection connection_;
    QStringList paths_;
    std::optional<PortalResponse> response_;
    QEventLoop* loop_ = nullptr;
};

QString NewToken() {
    static std::atomic<int> count{0};
    return QStringLiteral("veltranix%1_%2").arg(::getpid()).arg(count.fetch_add(1));
}

// The path of the object a request or session gets: the portal builds it from
// the caller's unique bus name and the token.
QString PortalObjectPath(const QDBusConnection& connection, const char* kind,
                         const QString& token) {
    QString sender = connection.baseService();
    sender.remove(0, sender.startsWith(':') ? 1 : 0).replace('.', '_');
    return QStringLiteral("%1/%2/%3/%4").arg(kPortalPath, kind, sender, token);
}

QString PathValue(const QVariant& value) {
    return value.userType() == qMetaTypeId<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}

void CloseObject(QDBusConnection& connection, const QString& path, const char* interface) {
    QDBusMessage close =
        QDBusMessage::createMethodCall(PortalRemoteDesktop::kService, path, interface, "Close");
    connection.call(close, QDBus::Block, kCallTimeoutMs);
}

// Calls a method that makes a request (its options, the last argument, get
// the handle token) and waits for the request's response. None, with the
// reason in `error`, when the call fails, no answer comes or the answer is no.
std::optional<PortalResponse> Request(QDBusConnection& connection, const char* method,
                                      QVariantList arguments, int timeoutMs,
                                      const ExitRequest* exitRequest, std::string* error) {
    if (Raised(exitRequest)) {
        *error = std::string(method) + ": not asked, the program is ending";
        return std::nullopt;
    }
    const QString token = NewToken();
    ResponseListener listener(connection);
    const QString predicted = PortalObjectPath(connection, "request", token);
    listener.listen(predicted);
    QVariantMap options = arguments.takeLast().toMap();
    options.insert("handle_token", token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRemoteDesktop::kService, kPortalPath,
                                                       kRemoteDesktopInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = connection.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error = std::string(method) + ": " + reply.errorMessage().toStdString();
        return std::nullopt;
    }
    // Portals older than the rule of predictable paths say where they answer.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != predicted) {
        listener.listen(handle);
    }
    const std::optional<PortalResponse> response = listener.wait(timeoutMs, exitRequest);
    if (!response) {
        CloseObject(connection, handle.isEmpty() ? predicted : handle, kRequestInterface);
        *error = Raised(exitRequest)
                     ? std::string(method) + ": no longer awaited, the program is ending"
                     : std::string(method) + ": the desktop did not answer within " +
                           std::to_string(timeoutMs / 1000) + " s";
        return std::nullopt;
    }
    if (response->code != 0) {
        *error = std::string(method) + (response->code == 1 ? ": the desktop's dialog was refused"
                                                            : ": the desktop refused");
        return std::nullopt;
    }
    return response;
}

std::string ReadToken(const std::filesystem::path& file) {
    std::string token;
    if (file.empty()) {
        return token;
    }
    std::ifstream in(file);
    std::getline(in, token);
    const std::size_t end = token.find_last_not_of(" \t\r");
    token.erase(end == std::string::npos ? 0 : end + 1);
    return token.size() <= kLongestToken ? token : std::string();
}

}  // namespace

int PortalRemoteDesktop::Version() {
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPortalPath,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({QString(kRemoteDesktopInterface), QString("version")});
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(get, QDBus::Block, kVersionQueryTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return 0;
    }
    return reply.arguments().first().value<QDBusVariant>().variant().toInt();
}

std::unique_ptr<PortalRemoteDesktop> PortalRemoteDesktop::Open(
    PointerWhereabouts& whereabouts, const std::filesystem::path& tokenFile, std::string* error,
    const ExitRequest* exitRequest) {
    static std::atomic<int> openings{0};
    QDBusConnection connection = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus,
        QStringLiteral("veltranix-portal-remote-desktop-%1").arg(openings.fetch_add(1)));
    if (!connection.isConnected()) {
        *error = "no session bus: " + connection.lastError().message().toStdString();
        return nullptr;
    }
    const auto fail = [&](const QString& session) -> std::unique_ptr<PortalRemoteDesktop> {
        if (!session.isEmpty()) {
            CloseObject(connection, session, kSessionInterface);
        }
        QDBusConnection::disconnectFromBus(connection.name());
        return nullptr;
    };

    QVariantMap sessionOptions;
    sessionOptions.insert("session_handle_token", NewToken());
    const std::optional<PortalResponse> created = Request(
        connection, "CreateSession", {sessionOptions}, kResponseTimeoutMs, exitRequest, error);
    if (!created) {
        return fail({});
    }
    const QString session = PathValue(created->results.value("session_handle"));
    if (session.isEmpty()) {
        *error = "CreateSession: the desktop gave no session";
        return fail({});
    }

    const std::string savedToken = ReadToken(tokenFile);
    QVariantMap devices;
    devices.insert("types", kKeyboardDevice | kPointerDevice);
    devices.insert("persist_mode", kPersistUntilRevoked);
    if (!savedToken.empty()) {
        devices.insert("restore_token", QString::fromStdString(savedToken));
    }
    if (!Request(connection, "SelectDevices",
                 {QVariant::fromValue(QDBusObjectPath(session)), devices}, kResponseTimeoutMs,
                 exitRequest, error)) {
        return fail(session);
    }

    if (savedToken.empty()) {
        std::fprintf(stderr,
                     "veltranix: the desktop asks once for approval to move the pointer and "
                     "type; it remembers the answer for the next starts\n");
    }
    const std::optional<PortalResponse> started =
        Request(connection, "Start",
                {QVariant::fromValue(QDBusObjectPath(session)), QString(), QVariantMap()},
                kApprovalTimeoutMs, exitRequest, error);
    if (!started) {
        return fail(session);
    }
    const QVariant granted = started->results.value("devices");
    if (granted.isValid() && (granted.toUInt() & kPointerDevice) == 0) {
        *error = "Start: the desktop gave no pointer";
        return fail(session);
    }
    if (granted.isValid() && (granted.toUInt() & kKeyboardDevice) == 0) {
        std::fprintf(stderr, "veltranix: the desktop gave no keyboard: macros type nothing\n");
    }
    const std::string newToken = started->results.value("restore_token").toString().toStdString();
    if (newToken.empty()) {
        std::fprintf(stderr,
                     "veltranix: the desktop keeps no approval: it will ask again at the next "
                     "start\n");
    } else if (!tokenFile.empty() && newToken != savedToken) {
        std::string saveError;
        if (!WriteFileAtomically(tokenFile, newToken + "\n", &saveError)) {
            std::fprintf(stderr,
                         "veltranix: cannot keep the desktop's approval, it will ask again at "
                         "the next start: %s\n",
                         saveError.c_str());
        }
    }

    auto opened = std::unique_ptr<PortalRemoteDesktop>(
        new PortalRemoteDesktop(connection, session, whereabouts));
    // On a new seat the first key event makes the keyboard, and clients miss
    // that first key: a lone Shift goes first.
    opened->sendKeysym(kShiftLeftKeysym, KeyDirection::Press);
    opened->sendKeysym(kShiftLeftKeysym, KeyDirection::Release);
    return opened;
}

PortalRemoteDesktop::PortalRemoteDesktop(QDBusConnection connection, QString sessionPath,
                                         PointerWhereabouts& whereabouts)
    : connection_(std::move(connection)),
      sessionPath_(std::move(sessionPath)),
      whereabouts_(whereabouts) {}

PortalRemoteDesktop::~PortalRemoteDesktop() {
    CloseObject(connection_, sessionPath_, kSessionInterface);
    QDBusConnection::disconnectFromBus(connection_.name());
}

void PortalRemoteDesktop::notifyLocked(const char* method, const QVariant& first,
                                       const QVariant& second) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, kPortalPath, kRemoteDesktopInterface, method);
    message.setArguments(
        {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QVariantMap(), first, second});
    message.setAutoStartService(false);
    connection_.send(message);
}

void PortalRemoteDesktop::sendButton(PointerButton button, KeyDirection direction) {
    const int code = EvdevButtonCode(button);
    std::lock_guard lock(sendMutex_);
    notifyLocked("NotifyPointerButton", code, static_cast<uint>(direction == KeyDirection::Press));
}

void PortalRemoteDesktop::sendWheel(WheelAxis axis, int steps) {
    if (steps == 0) {
        return;
    }
    // Axis 0 is vertical, 1 horizontal; positive steps go down or right.
    const uint axisNumber = axis == WheelAxis::Vertical ? 0 : 1;
    std::lock_guard lock(sendMutex_);
    notifyLocked("NotifyPointerAxisDiscrete", axisNumber, steps);
}

void PortalRemoteDesktop::moveTo(ScreenPoint point) {
    std::lock_guard lock(sendMutex_);
    const ScreenPoint from = whereabouts_.known();
    const ScreenPoint to = whereabouts_.placedAt(point);
    if (to.x == from.x && to.y == from.y) {
        return;
    }
    notifyLocked("NotifyPointerMotion", static_cast<double>(to.x - from.x),
                 static_cast<double>(to.y - from.y));
}

void PortalRemoteDesktop::moveBy(int dxPixels, int dyPixels) {
    std::lock_guard lock(sendMutex_);
    whereabouts_.movedBy(dxPixels, dyPixels);
    notifyLocked("NotifyPointerMotion", static_cast<double>(dxPixels),
                 static_cast<double>(dyPixels));
}

void PortalRemoteDesktop::sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) {
    std::lock_guard lock(sendMutex_);
    notifyLocked("NotifyKeyboardKeycode", static_cast<int>(linuxKeyCode),
                 static_cast<uint>(direction == KeyDirection::Press));
}

bool PortalRemoteDesktop::sendKeysym(std::uint32_t keysym, KeyDirection direction) {
    std::lock_guard lock(sendMutex_);
    notifyLocked("NotifyKeyboardKeysym", static_cast<int>(keysym),
                 static_cast<uint>(direction == KeyDirection::Press));
    return true;
}

}  // namespace veltranix

#include "portal_remote_desktop.moc"
