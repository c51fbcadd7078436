// The desktop portal's remote desktop backend against a fake portal on a
// private session bus (the test runs under dbus-run-session).
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <string>
#include <vector>

#include "platform/linux/portal_remote_desktop.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "portal_remote_desktop_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

class PortalRemoteDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { Application(); }
    void TearDown() override {
        fake.terminate();
        fake.waitForFinished();
    }

    void startFake(const QStringList& options = {}) {
        fake.start(QStringLiteral(VELTRANIX_FAKE_PORTAL),
                   QStringList{QString::fromStdString(logFile().string())} + options);
        ASSERT_TRUE(fake.waitForReadyRead(30000)) << "the fake portal did not start";
    }
    std::filesystem::path logFile() const { return folder.path() / "portal.log"; }
    std::filesystem::path tokenFile() const { return folder.path() / "config" / "portal.token"; }
    std::vector<std::string> logged(std::string_view prefix) const {
        return testing::LinesStartingWith(logFile(), prefix);
    }

    testing::TemporaryFolder folder;
    PointerWhereabouts whereabouts{ScreenRect{0, 0, 1280, 1024}};
    QProcess fake;
};

TEST_F(PortalRemoteDesktopTest, TheApprovalIsKeptAndHandedBackAtTheNextStart) {
    startFake();
    EXPECT_EQ(PortalRemoteDesktop::Version(), 2);
    for (const char* expectedToken : {"token-1\n", "token-2\n"}) {
        std::string error;
        EXPECT_NE(PortalRemoteDesktop::Open(whereabouts, tokenFile(), &error), nullptr) << error;
        EXPECT_EQ(testing::ReadFile(tokenFile()), expectedToken);
    }
    const std::vector<std::string> expected{
        "SelectDevices(oa{sv}) types=3 persist_mode=2 restore_token=",
        "SelectDevices(oa{sv}) types=3 persist_mode=2 restore_token=token-1",
    };
    EXPECT_EQ(logged("SelectDevices"), expected);
    EXPECT_EQ(logged("Start").size(), 2u);
    EXPECT_EQ(logged("Session.Close").size(), 2u);
}

TEST_F(PortalRemoteDesktopTest, ARefusedStartGivesNoBackendAndKeepsTheSavedToken) {
    startFake({"--refuse-start"});
    testing::WriteFile(tokenFile(), "kept\n");
    std::string error;
    EXPECT_EQ(PortalRemoteDesktop::Open(whereabouts, tokenFile(), &error), nullptr);
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_EQ(testing::ReadFile(tokenFile()), "kept\n");
    // The session the refusal left behind is closed.
    EXPECT_EQ(logged("Session.Close").size(), 1u);
}

TEST_F(PortalRemoteDesktopTest, MovesClicksAndKeysReachThePortalInCallOrder) {
    startFake();
    whereabouts.placedAt({100, 100});
    std::string error;
    auto portal = PortalRemoteDesktop::Open(whereabouts, tokenFile(), &error);
    ASSERT_NE(portal, nullptr) << error;
    portal->moveTo({130, 90});
    portal->moveBy(-5, 4);
    portal->sendButton(PointerButton::Left, KeyDirection::Press);
    portal->sendButton(PointerButton::Right, KeyDirection::Release);
    portal->sendKeycode(KEY_A, KeyDirection::Press);
    EXPECT_TRUE(portal->sendKeysym(0x61, KeyDirection::Release));
    // Closing the session is a call with a reply: every event before it has arrived.
    portal.reset();
    const std::vector<std::string> expected{
        // The Shift that makes the keyboard, so that no first key is lost.
        "NotifyKeyboardKeysym(oa{sv}iu) 65505 1", "NotifyKeyboardKeysym(oa{sv}iu) 65505 0",
        "NotifyPointerMotion(oa{sv}dd) 30 -10",   "NotifyPointerMotion(oa{sv}dd) -5 4",
        "NotifyPointerButton(oa{sv}iu) 272 1",    "NotifyPointerButton(oa{sv}iu) 273 0",
        "NotifyKeyboardKeycode(oa{sv}iu) 30 1",   "NotifyKeyboardKeysym(oa{sv}iu) 97 0",
    };
    EXPECT_EQ(logged("Notify"), expected);
    EXPECT_EQ(whereabouts.known(), (ScreenPoint{125, 94}));
}

}  // namespace
}  // namespace veltranix
