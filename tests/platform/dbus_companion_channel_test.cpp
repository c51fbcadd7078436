// gtest and Qt first: the Xlib headers define macros that clash with them.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QProcess>
#include <QtCore/QThread>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusPendingCall>

#include "platform/linux/dbus_companion_channel.h"

#include <X11/Xlib.h>

#include "tests/platform/x_event_recorder.h"
#include "tests/platform/x_test_display.h"

namespace veltranix {
namespace {

class RecordingReceiver : public CompanionMessageReceiver {
  public:
    void companionMessage(const CompanionMessage& message) override { received.push_back(message); }
    void companionGone() override { ++gone; }
    std::vector<CompanionMessage> received;
    int gone = 0;
};

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "platform_desktop_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

// Runs veltranix-send while this thread's event loop serves the bus.
int Send(const QStringList& arguments) {
    Application();
    QProcess process;
    process.start(QStringLiteral(VELTRANIX_SEND_PROGRAM), arguments);
    while (!process.waitForFinished(10)) {
        QCoreApplication::processEvents();
        if (process.state() == QProcess::NotRunning) {
            break;
        }
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Serves the event loop until `done` holds or about five seconds pass.
template <typename Condition>
bool ServeUntil(Condition done) {
    for (int round = 0; round < 500 && !done(); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return done();
}

// The program's end of the channel, listening on the session bus; beside it
// a window of this process, and this process's own bus connection, through
// which it can act as the companion that owns the window.
class CompanionChannel : public ::testing::Test {
  protected:
    void SetUp() override {
        VELTRANIX_REQUIRE_X_DISPLAY();
        Application();
        std::string error;
        x = XDisplayConnection::Open(testing::TestDisplayName(), &error);
        ASSERT_NE(x, nullptr) << error;
        channel = DbusCompanionChannel::Create(receiver, x, &error);
        ASSERT_NE(channel, nullptr) << error;
        window = std::make_unique<testing::XEventRecorder>(testing::TestDisplayName());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("companion")); }

    bool PostAsCompanion(const char* name, std::uint32_t wParam, std::uint32_t lParam = 0) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("companion"));
        QDBusMessage call = QDBusMessage::createMethodCall(
            DbusCompanionChannel::kService, DbusCompanionChannel::kPath,
            DbusCompanionChannel::kInterface, QStringLiteral("Post"));
        call << QString::fromLatin1(name) << wParam << lParam;
        QDBusPendingCall pending = bus.asyncCall(call);
        ServeUntil([&] { return pending.isFinished(); });
        return !pending.isError();
    }
    // Whether the window still exists, and whether it is mapped.
    std::pair<bool, int> WindowState() {
        XWindowAttributes attributes{};
        XSync(window->display(), False);
        const bool there = XGetWindowAttributes(window->display(), window->window(), &attributes);
        return {there, attributes.map_state};
    }

    RecordingReceiver receiver;
    std::shared_ptr<XDisplayConnection> x;
    std::unique_ptr<DbusCompanionChannel> channel;
    std::unique_ptr<testing::XEventRecorder> window;
};

// Another program (veltranix-send here, gdbus or anything else on the bus)
// cannot hand over a window that is not its own, nor speak for the companion.
TEST_F(CompanionChannel, OnlyTheProgramThatOwnsTheWindowBecomesTheCompanion) {
    const QString id = QString::number(window->window());
    const auto sent = [&](const QStringList& arguments) {
        receiver.received.clear();
        return Send(arguments) == 0 && receiver.received.size() == 1;
    };
    for (const QStringList& arguments :
         {QStringList{"WM_USER", id}, QStringList{"WM_KEYVANE", "0x00640032", "0x01F40190"},
          QStringList{"WM_MACROKEYVANE", "1", "1"}, QStringList{"WM_USER+1"}}) {
        EXPECT_FALSE(sent(arguments)) << arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(sent({"1045", "0x10", "2"}));
    EXPECT_EQ(receiver.received.back(), (CompanionMessage{CompanionMessageKind::Ignored, 16, 2}));
    for (const auto request :
         {&CompanionPort::hideCompanionWindow, &CompanionPort::closeCompanionWindow}) {
        (channel.get()->*request)(window->window());
    }
    EXPECT_EQ(WindowState(), std::make_pair(true, IsViewable))
        << "another program's window is untouched";

    ASSERT_TRUE(PostAsCompanion("WM_USER", static_cast<std::uint32_t>(window->window())));
    EXPECT_TRUE(PostAsCompanion("WM_KEYVANE", 0x00640032, 0x01F40190));
    EXPECT_FALSE(sent({"WM_KEYVANE", "0", "0"})) << "the keyboard is the companion's alone";
    QDBusConnection::disconnectFromBus(QStringLiteral("companion"));
    EXPECT_TRUE(ServeUntil([&] { return receiver.gone == 1; })) << "forgotten when it leaves";
}

TEST_F(CompanionChannel, BadRequestsAreRefusedAndDeliverNothing) {
    for (const QStringList& arguments : {QStringList{"WM_VELTRANIX"}, QStringList{"WM_NOTHING"},
                                         QStringList{"WM_USER", "12abc"}, QStringList{}}) {
        EXPECT_NE(Send(arguments), 0) << arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(receiver.received.empty());
    channel.reset();
    EXPECT_NE(Send({"WM_USER+1"}), 0) << "nobody listens any more";
}

TEST_F(CompanionChannel, TrackingStartIsBroadcastToEveryListener) {
    // A listener on the bus, as a companion keyboard would listen.
    QProcess listener;
    listener.start(QStringLiteral("dbus-monitor"),
                   {QStringLiteral("--session"),
                    QStringLiteral("type='signal',interface='org.veltranix.Companion1'")});
    ASSERT_TRUE(listener.waitForStarted(5000));
    QByteArray heard;
    const auto read = [&] {
        heard += listener.readAllStandardOutput();
        return heard;
    };
    // dbus-monitor announces itself once its match rule is in place.
    ServeUntil([&] { return read().contains("NameLost") || read().contains("NameAcquired"); });
    channel->broadcastTrackingStarted();
    EXPECT_TRUE(ServeUntil([&] { return read().contains("WM_VELTRANIX"); })) << heard.toStdString();
    EXPECT_TRUE(heard.contains("member=Broadcast")) << heard.toStdString();
    EXPECT_TRUE(heard.contains("uint32 0")) << heard.toStdString();
    listener.kill();
    listener.waitForFinished(5000);
}

TEST_F(CompanionChannel, TheCompanionsWindowIsHiddenShownAndAskedToClose) {
    ASSERT_TRUE(PostAsCompanion("WM_USER", static_cast<std::uint32_t>(window->window())));
    channel->hideCompanionWindow(window->window());
    EXPECT_EQ(WindowState(), std::make_pair(true, IsUnmapped));
    channel->showCompanionWindow(window->window());
    EXPECT_EQ(WindowState(), std::make_pair(true, IsViewable));
    // Ids that name no window are passed over.
    channel->hideCompanionWindow(0x7ffffff);
    channel->closeCompanionWindow(0x7ffffff);
    channel->closeCompanionWindow(window->window());
    EXPECT_TRUE(WindowState().first) << "a window without WM_DELETE_WINDOW is left as it is";
    const Window destroyed = window->window();
    window.reset();
    channel->showCompanionWindow(destroyed);
    EXPECT_TRUE(ServeUntil([&] { return receiver.gone == 1; })) << "forgotten with its window";
}

}  // namespace
}  // namespace veltranix
