// gtest and Qt first: the Xlib headers define macros that clash with them.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QProcess>
#include <QtCore/QThread>

#include "platform/linux/dbus_companion_channel.h"

#include <X11/Xlib.h>

#include "tests/platform/x_event_recorder.h"
#include "tests/platform/x_test_display.h"

namespace veltranix {
namespace {

class RecordingReceiver : public CompanionMessageReceiver {
  public:
    void companionMessage(const CompanionMessage& message) override { received.push_back(message); }
    std::vector<CompanionMessage> received;
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

// The program's end of the channel, listening on the session bus.
class CompanionChannel : public ::testing::Test {
  protected:
    void SetUp() override {
        VELTRANIX_REQUIRE_X_DISPLAY();
        Application();
        std::string error;
        channel = DbusCompanionChannel::Create(receiver, nullptr, &error);
        ASSERT_NE(channel, nullptr) << error;
    }

    RecordingReceiver receiver;
    std::unique_ptr<DbusCompanionChannel> channel;
};

TEST_F(CompanionChannel, VeltranixSendDeliversEachMessageWithItsPayloads) {
    const struct {
        QStringList arguments;
        CompanionMessage expected;
    } cases[] = {
        {{"WM_KEYVANE", "0x00640032", "0x01F40190"},
         {CompanionMessageKind::KeyboardRectangle, 0x00640032, 0x01F40190}},
        {{"WM_MACROKEYVANE", "4294967295", "0xFFFFFFFF"},
         {CompanionMessageKind::MacroKeyboardRectangle, 0xFFFFFFFF, 0xFFFFFFFF}},
        {{"WM_USER", "0x2a00007"}, {CompanionMessageKind::CompanionShown, 0x2a00007, 0}},
        {{"WM_USER+1"}, {CompanionMessageKind::CompanionHidden, 0, 0}},
        {{"1045", "1", "2"}, {CompanionMessageKind::Ignored, 1, 2}},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.arguments.join(' ').toStdString());
        receiver.received.clear();
        EXPECT_EQ(Send(one.arguments), 0);
        ASSERT_EQ(receiver.received.size(), 1u);
        EXPECT_EQ(receiver.received[0], one.expected);
    }
}

TEST_F(CompanionChannel, BadRequestsAreRefusedAndDeliverNothing) {
    for (const QStringList& arguments :
         {QStringList{"WM_VELTRANIX"}, QStringList{"WM_NOTHING"}, QStringList{"WM_USER", "-1"},
          QStringList{"WM_USER", "0x100000000"}, QStringList{"WM_USER", "12abc"}, QStringList{}}) {
        EXPECT_NE(Send(arguments), 0) << arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(receiver.received.empty());
    channel.reset();
    EXPECT_NE(Send({"WM_USER+1"}), 0) << "nobody listens any more";
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

TEST(DbusCompanionChannel, TheCompanionWindowIsHiddenShownAndClosedByItsId) {
    VELTRANIX_REQUIRE_X_DISPLAY();
    Application();
    std::string error;
    auto x = XDisplayConnection::Open(testing::TestDisplayName(), &error);
    ASSERT_NE(x, nullptr) << error;
    RecordingReceiver receiver;
    auto channel = DbusCompanionChannel::Create(receiver, x, &error);
    ASSERT_NE(channel, nullptr) << error;
    testing::XEventRecorder companion(testing::TestDisplayName());
    Display* display = companion.display();
    const auto mapState = [&] {
        XWindowAttributes attributes{};
        XSync(display, False);
        XGetWindowAttributes(display, companion.window(), &attributes);
        return attributes.map_state;
    };
    channel->hideCompanionWindow(companion.window());
    EXPECT_EQ(mapState(), IsUnmapped);
    channel->showCompanionWindow(companion.window());
    EXPECT_EQ(mapState(), IsViewable);
    // Ids that name no window are passed over.
    channel->hideCompanionWindow(0x7ffffff);
    channel->closeCompanionWindow(0x7ffffff);
    channel->closeCompanionWindow(companion.window());
    XSync(display, False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    bool stillThere = false;
    for (unsigned int index = 0; index < count; ++index) {
        stillThere = stillThere || children[index] == companion.window();
    }
    XFree(children);
    EXPECT_FALSE(stillThere) << "a window without WM_DELETE_WINDOW is destroyed";
}

}  // namespace
}  // namespace veltranix
