// Faults around the real program under Xvfb, with a steered face as its
// camera: the camera unplugged or frozen, no sound server, no session bus, a
// read-only settings folder, a full disk, the X server going away, the
// session ending in the middle of a macro. Each time
// the program keeps working (or ends cleanly), says what happened in words,
// and loses no setting and no macro.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "macros/macro_file.h"
#include "macros/macro_set.h"
#include "settings/ini_file.h"
#include "settings/store_tree.h"
#include "tests/platform/x_screen.h"
#include "tests/platform/x_test_display.h"
#include "tests/support/dwell_settings.h"
#include "tests/support/macro_entries.h"
#include "tests/support/real_time.h"
#include "tests/support/spawn_program.h"
#include "tests/support/steered_program.h"
#include "tests/support/temporary_folder.h"

// After the program's headers: the X headers define macros that clash with names there.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "tests/platform/x_input.h"

namespace veltranix {
namespace {

using Clock = std::chrono::steady_clock;
using testing::FolderContents;
using testing::Hold;
using testing::ReadFile;
using testing::RunningProgram;
using testing::WaitFor;
namespace fs = std::filesystem;

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The English text of a lexicon key, as the program shows it.
std::string EnglishText(const char* key) {
    const auto lexicon = IniFile::load(ProgramFolder{VELTRANIX_PROGRAM_FOLDER}.lexiconFile());
    return lexicon ? lexicon->value("English", key) : std::string();
}

class ProgramFaultTest : public testing::SteeredProgramTest {
  protected:
    void Prepare() override {
        testing::PrepareFirstStartSettings(config_, VELTRANIX_PROGRAM_FOLDER,
                                           testing::CurrentProfile::Default);
        storeBefore_ = ReadFile(config_ / "settings.store");
        log_ = folder_.path() / "stderr.log";
    }
    void TearDown() override {
        for (auto mount = mounts_.rbegin(); mount != mounts_.rend(); ++mount) {
            Shell("umount " + mount->string());
        }
    }

    // A mapped top-level window with this name.
    bool Shown(const std::string& name) const { return Find(name).has_value(); }
    // Calibrated: the main window docks at its small size.
    bool Docked() const { return testing::IsDocked(Find("Veltranix")); }

    bool KeyHeld(KeySym key) const {
        char keys[32] = {};
        XQueryKeymap(screen(), keys);
        const KeyCode code = XKeysymToKeycode(screen(), key);
        return (keys[code / 8] & (1 << (code % 8))) != 0;
    }

    // The store holds everything it held before the program started; only the
    // gesture levels that every calibration writes may differ.
    void ExpectStoreKept() {
        const auto before = StoreTree::parse(storeBefore_);
        const auto after = StoreTree::parse(ReadFile(config_ / "settings.store"));
        ASSERT_TRUE(before.tree && after.tree);
        StoreTree expected = *before.tree;
        for (const char* level : {"nivellUll", "nivellBoca"}) {
            if (const auto value = after.tree->readValue(store_keys::kMouse, level)) {
                expected.writeValue(store_keys::kMouse, level, *value);
            }
        }
        EXPECT_EQ(after.linesLeftOut, 0);
        EXPECT_TRUE(*after.tree == expected) << "the settings store lost or changed a value";
    }

    // A message of the program answered with the head: the face steered onto
    // its OK button until a dwell closes it.
    void AnswerMessageByDwell(const std::string& caption) {
        const std::optional<testing::WindowPlace> notice = Find(caption);
        ASSERT_TRUE(notice.has_value()) << "no message " << caption;
        steering_.LearnGain(*face_);
        // The OK button, in design units of a 599 x 300 window, a little inside.
        const double k = notice->width / 599.0;
        const testing::WindowPlace ok{notice->x + static_cast<int>(215 * k),
                                      notice->y + static_cast<int>(240 * k),
                                      static_cast<int>(170 * k), static_cast<int>(42 * k)};
        EXPECT_TRUE(steering_.DwellClickOn(*face_, ok, [&] { return !Shown(caption); }))
            << "a dwell on OK did not close the message: " << steering_.log;
    }

    // Ends the program as the desktop does at log-out: it ends at once, with
    // no button held and the pointer free.
    void Terminate(RunningProgram& program, double withinSeconds = 15) {
        const std::optional<int> exitCode = program.Terminate(withinSeconds);
        ASSERT_TRUE(exitCode.has_value()) << program.output();
        EXPECT_EQ(*exitCode, 0) << program.output();
        unsigned int buttons = 0;
        Pointer(&buttons);
        EXPECT_EQ(buttons, 0u) << "a mouse button is left held";
        EXPECT_FALSE(program.Said("runtime error")) << program.output();
        EXPECT_FALSE(program.Said("AddressSanitizer")) << program.output();
    }

    // veltranix-send's exit code and what it said.
    std::pair<int, std::string> Send(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), VELTRANIX_SEND_PROGRAM);
        RunningProgram send(arguments, {}, folder_.path() / "send.log",
                            testing::Streams::OutputAndErrors);
        WaitFor([&] { return send.Poll().has_value(); }, 30);
        return {send.Poll().value_or(-1), send.output()};
    }

    // Makes `path` a read-only view of itself (CI runs as root, which file
    // modes do not stop).
    bool MountReadOnly(const fs::path& path) {
        if (!Shell("mount --bind " + path.string() + " " + path.string())) {
            return false;
        }
        mounts_.push_back(path);
        return Shell("mount -o remount,bind,ro " + path.string());
    }

    std::string storeBefore_;
    std::vector<fs::path> mounts_;
};

TEST_F(ProgramFaultTest, CameraUnpluggedFrozenAndBackWithoutSoundServerOrSessionBus) {
    auto program = Start({}, {"PULSE_SERVER=unix:/nonexistent/pulse",
                              "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"});
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return Docked(); }, 90)) << program->output();
    EXPECT_TRUE(program->Said("no companion messages")) << program->output();
    EXPECT_TRUE(program->Said("no control interface")) << program->output();
    // A second start without a bus to ask the first one: it says why and ends.
    auto second = Start({}, {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"}, "2.log");
    ASSERT_TRUE(WaitFor([&] { return second->Poll().has_value(); }, 30));
    EXPECT_EQ(*second->Poll(), 0);
    EXPECT_TRUE(second->Said("cannot be asked to show its window")) << second->output();
    EXPECT_TRUE(steering_.Follows(*face_)) << "tracking without sound server and session bus";
    const auto profiles = FolderContents(fs::path(VELTRANIX_PROGRAM_FOLDER) / "Macros");

    face_->SetPresent(false);
    EXPECT_TRUE(WaitFor([&] { return program->Said(EnglishText("cameraLost")); }, 10))
        << program->output();
    EXPECT_TRUE(Shown("Veltranix")) << "the window that says it is shown";
    Hold(3);
    face_->SetPresent(true);
    EXPECT_TRUE(WaitFor([&] { return Docked(); }, 60)) << "no calibration after plugging in";
    EXPECT_TRUE(steering_.Follows(*face_)) << "tracking after plugging the camera in again";

    face_->SetFrozen(true);
    EXPECT_TRUE(WaitFor([&] { return program->Said(EnglishText("cameraFrozen")); }, 10))
        << program->output();
    Hold(7);
    face_->SetFrozen(false);
    EXPECT_TRUE(WaitFor([&] { return Docked(); }, 60)) << "no calibration after the freeze";
    EXPECT_TRUE(steering_.Follows(*face_)) << "tracking after the camera sends pictures again";
    ASSERT_FALSE(program->Poll().has_value()) << program->output();

    Terminate(*program);
    ExpectStoreKept();
    EXPECT_EQ(FolderContents(fs::path(VELTRANIX_PROGRAM_FOLDER) / "Macros"), profiles);
}

// Voice control and scripts: veltranix-send pauses the head's pointer and
// gives it back, tells the state, and says in one line why it cannot.
TEST_F(ProgramFaultTest, AnotherProgramPausesAndResumesTheHeadAndAsksTheState) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string says;
    };
    const auto expectCases = [&](const std::vector<Case>& cases) {
        for (const Case& sent : cases) {
            const auto [exitCode, said] = Send(sent.arguments);
            EXPECT_EQ(exitCode, sent.exitCode) << sent.arguments.front() << ": " << said;
            EXPECT_NE(said.find(sent.says), std::string::npos) << said;
        }
    };
    expectCases({{{"pause"}, 1, "Veltranix is not running"}});
    auto program = Start();
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return Docked(); }, 90)) << program->output();
    ASSERT_TRUE(WaitFor([&] { return Send({"status"}).second.find("state=Track\n") == 0; }, 10))
        << Send({"status"}).second;
    expectCases({{{"frobnicate"}, 2, "usage: veltranix-send pause|"},
                 {{"click"}, 2, "usage"},
                 {{"status", "now"}, 2, "usage"},
                 {{"click", "sideways"}, 1, "unknown click kind \"sideways\""},
                 {{"profile", "Nowhere"}, 1, "no profile \"Nowhere\""},
                 {{"status"}, 0, "profile=Default\n"}});
    // The restart button's action: the face is found afresh, with nothing to pause meanwhile.
    expectCases({{{"recentre"}, 0, ""}, {{"pause"}, 1, "nothing to pause"}});
    ASSERT_TRUE(WaitFor([&] { return Send({"status"}).second.find("state=Track\n") == 0; }, 60));
    const fs::path macros = fs::path(VELTRANIX_PROGRAM_FOLDER) / "Macros";
    fs::copy_file(fs::path(VELTRANIX_SOURCE_DIR) / "tests/macros/golden/default_macros.cfg",
                  macros / "Remote.cfg", fs::copy_options::overwrite_existing);
    const std::shared_ptr<void> removeProfile(nullptr,
                                              [&](void*) { fs::remove(macros / "Remote.cfg"); });
    expectCases({{{"profile", "Remote"}, 0, ""},
                 {{"status"}, 0, "profile=Remote\n"},
                 {{"profile", "Default.cfg"}, 0, ""}});

    RunningProgram monitor(
        {"/usr/bin/dbus-monitor", "--session", "type='signal',interface='org.veltranix.Control1'"},
        {}, folder_.path() / "signals.log", testing::Streams::OutputAndErrors);
    Hold(1);
    expectCases({{{"pause"}, 0, ""}, {{"status"}, 0, "state=HeadPause\n"}});
    EXPECT_TRUE(WaitFor([&] { return monitor.Said("string \"HeadPause\""); }, 5))
        << monitor.output();
    const auto before = Pointer();
    face_->TurnTo(face_->offsetX() + 10.0, 0);
    Hold(2);
    EXPECT_LE(std::abs(Pointer().first - before.first), 2) << "the head moved a paused pointer";
    expectCases({{{"resume"}, 0, ""}});
    EXPECT_TRUE(WaitFor([&] { return Docked(); }, 60)) << "no calibration after resume";
    EXPECT_TRUE(steering_.Follows(*face_)) << "the head did not get the pointer back";
    Terminate(*program);
}

// A save today: the gesture levels that calibration writes, after the camera
// was plugged in again. An options menu's OK is another.
TEST_F(ProgramFaultTest, SavingIntoAReadOnlySettingsFolderTellsTheUserAndLosesNothing) {
    if (geteuid() != 0 || !MountReadOnly(config_)) {
        GTEST_SKIP() << "a read-only mount needs root";
    }
    auto program = Start();
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return program->Said("settings could not be saved"); }, 90))
        << program->output();
    EXPECT_TRUE(WaitFor([&] { return Shown(EnglishText("e4")); }, 5)) << "no warning window";
    EXPECT_EQ(ReadFile(config_ / "settings.store"), storeBefore_);
    EXPECT_TRUE(WaitFor([&] { return Docked(); }, 30));
    EXPECT_TRUE(steering_.Follows(*face_)) << "tracking after a failed save";

    ASSERT_TRUE(Shell("mount -o remount,bind,rw " + config_.string()));
    const auto saveNow = [&] {
        face_->SetPresent(false);
        Hold(3);
        face_->SetPresent(true);
    };
    saveNow();
    EXPECT_TRUE(WaitFor([&] { return ReadFile(config_ / "settings.store") != storeBefore_; }, 60))
        << "the next save did not happen";
    Terminate(*program);
    ExpectStoreKept();
}

TEST_F(ProgramFaultTest, ADiskFullWhileSavingAProfileTellsTheUserAndKeepsTheOtherProfiles) {
    const fs::path macros = fs::path(VELTRANIX_PROGRAM_FOLDER) / "Macros";
    fs::create_directories(macros);
    if (geteuid() != 0 || !Shell("mount -t tmpfs -o size=64k tmpfs " + macros.string())) {
        GTEST_SKIP() << "a small disk needs root";
    }
    mounts_.push_back(macros);
    // Another profile, and the disk full after it. Default.cfg, the current
    // profile, is missing and must be written at start-up.
    fs::copy_file(fs::path(VELTRANIX_SOURCE_DIR) / "tests/macros/golden/default_macros.cfg",
                  macros / "Mine.cfg");
    Shell("dd if=/dev/zero of=" + (macros / "filler").string() + " bs=4096 count=64");
    const auto before = FolderContents(macros);

    auto program = Start();
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return program->Said("could not be written"); }, 60))
        << program->output();
    ASSERT_TRUE(WaitFor([&] { return Shown(EnglishText("e4")); }, 5)) << "no warning window";
    // The message stays open: the program calibrates behind it.
    EXPECT_TRUE(WaitFor([&] { return Docked(); }, 90)) << program->output();
    EXPECT_TRUE(steering_.Follows(*face_)) << "tracking with the built-in macros";
    Terminate(*program);
    EXPECT_EQ(FolderContents(macros), before) << "a half-written or stray file was left";
    ExpectStoreKept();
}

// SIGTERM at any moment of start-up ends the program at start-up's next step
// with code 0: while a start-up message is shown, and while the desktop
// portal's approval is awaited from a portal that never answers.
TEST_F(ProgramFaultTest, SigtermDuringStartUpEndsTheProgram) {
    std::ofstream(config_ / "settings.store", std::ios::app) << "not a setting\n";
    auto program = Start();
    ASSERT_TRUE(WaitFor([&] { return program->Said("could not be read"); }, 60))
        << program->output();
    Hold(1);
    Terminate(*program, 3);

    const fs::path portalLog = folder_.path() / "portal.log";
    RunningProgram portal({VELTRANIX_FAKE_PORTAL, portalLog.string(), "--silent-start"}, {},
                          folder_.path() / "portal.out", testing::Streams::OutputAndErrors);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(folder_.path() / "portal.out") == "ready\n"; }, 30));
    program = Start({}, {"XDG_SESSION_TYPE=wayland"});
    ASSERT_TRUE(
        WaitFor([&] { return ReadFile(portalLog).find("Start(") != std::string::npos; }, 60))
        << program->output();
    Hold(1);
    Terminate(*program, 3);
}

// Messages never stop tracking: frames go on being processed while the
// profile name dialog says a name is in use, and a dwell on OK answers it.
TEST_F(ProgramFaultTest, AProfileNameInUseIsSaidWhileFramesGoOn) {
    testing::PrepareDwellSettings(config_, VELTRANIX_PROGRAM_FOLDER);
    const fs::path timingLog = folder_.path() / "timing.log";
    auto program = Start({"--open-macro-editor"}, {"VELTRANIX_TIMING_LOG=" + timingLog.string()});
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return Shown("MACROS") && Docked(); }, 90)) << program->output();
    // The on-screen keyboard's part: the new profile button, and the name of
    // the profile every user has, typed into the dialog.
    const std::optional<testing::WindowPlace> editor = Find("MACROS");
    ASSERT_TRUE(editor.has_value());
    // At once: the head-driven pointer comes back with the next frame.
    XTestFakeMotionEvent(screen(), -1, editor->x + 511, editor->y + 80, CurrentTime);
    XTestFakeButtonEvent(screen(), 1, True, CurrentTime);
    XTestFakeButtonEvent(screen(), 1, False, CurrentTime);
    XSync(screen(), False);
    testing::XInput input(screen());
    ASSERT_TRUE(WaitFor([&] { return Shown("New profile"); }, 5)) << program->output();
    input.Type("Default");
    input.Tap(XK_Return);
    ASSERT_TRUE(WaitFor([&] { return Shown(EnglishText("e4")); }, 5)) << program->output();
    EXPECT_TRUE(program->Said(EnglishText("e7"))) << program->output();
    const auto processed = [&] {
        const std::string log = ReadFile(timingLog);
        const std::size_t at = log.find("processed=");
        return at == std::string::npos ? 0 : std::stoull(log.substr(at + 10));
    };
    const auto before = processed();
    EXPECT_TRUE(WaitFor([&] { return processed() > before; }, 15))
        << "no frame was processed while the message was open";
    AnswerMessageByDwell(EnglishText("e4"));
    EXPECT_TRUE(Shown("New profile")) << "the dialog went with the message";
    Terminate(*program);
}

TEST_F(ProgramFaultTest, TheXServerGoingAwayEndsTheProgramCleanly) {
    std::optional<testing::OwnDesktop> desktop(std::in_place, testing::DesktopSetup{});
    ASSERT_EQ(desktop->missing(), "");
    auto program = Start();
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return program->Said("camera"); }, 60)) << program->output();
    Hold(2);
    desktop.reset();
    ASSERT_TRUE(WaitFor([&] { return program->Poll().has_value(); }, 15))
        << "the program outlived its X server";
    EXPECT_LT(*program->Poll(), 128) << "ended by a signal: " << program->output();
    EXPECT_TRUE(program->Said("the X display closed")) << program->output();
    EXPECT_FALSE(program->Said("AddressSanitizer")) << program->output();
    ExpectStoreKept();
}

// The desktop ends the session while a macro waits in a long pause with
// Shift held down: the program ends at once, and Shift is let go.
TEST_F(ProgramFaultTest, EndedDuringAMacrosLongPauseItEndsAtOnceWithNoKeyHeld) {
    // Macro 1 of the Default profile, put back after the test.
    MacroSet set = DefaultMacroSet();
    set[0] = MacroSlot{};
    set[0].name = u"Test";
    testing::AppendEntries(set[0], {{0xA0, 1}});
    for (int pause = 0; pause < 120; ++pause) {
        testing::AppendEntries(set[0], {{kPauseMark, 0}});
    }
    testing::AppendEntries(set[0], {{0xA0, 0}});
    std::string bytes;
    const auto restore = testing::SwapDefaultProfile(VELTRANIX_PROGRAM_FOLDER, set, &bytes);
    const fs::path profile = fs::path(VELTRANIX_PROGRAM_FOLDER) / "Macros" / "Default.cfg";

    auto program = Start({"--test-click-request", "20"});
    ASSERT_TRUE(program->started() && WaitFor([&] { return Shown("Veltranix"); }, 60))
        << program->output();
    Hold(2);
    kill(program->pid(), SIGUSR1);  // plays the first macro
    ASSERT_TRUE(WaitFor([&] { return Shown("PauseMacro"); }, 10))
        << "the macro did not start: " << program->output();
    EXPECT_TRUE(WaitFor([&] { return KeyHeld(XK_Shift_L); }, 3)) << "the macro did not press Shift";
    Hold(1);
    // Within Terminate's wait, far less than the two minutes of pauses left.
    Terminate(*program);
    EXPECT_FALSE(KeyHeld(XK_Shift_L)) << "Shift is left held down";
    EXPECT_EQ(ReadFile(profile), bytes) << "the macro file changed";
    ExpectStoreKept();
}

// Started while the camera is unplugged, the program says that it waits for
// one and tracks once it is plugged in; a timed press during which the
// camera freezes then ends on time all the same.
TEST_F(ProgramFaultTest, StartedWithoutACameraItWaitsAndATimedPressEndsOnTimeWhenItFreezes) {
    constexpr double kFirstStartDwellSeconds = 3.0;
    face_->SetPresent(false);
    auto program = Start({"--test-click-request", "10"});
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(WaitFor([&] { return program->Said(EnglishText("cameraWaiting")); }, 60))
        << program->output();
    EXPECT_TRUE(program->Said(face_->control().string() + ": present=0")) << program->output();
    EXPECT_TRUE(WaitFor([&] { return Shown("Veltranix"); }, 10)) << "the window that says it";
    Hold(5);
    face_->SetPresent(true);
    ASSERT_TRUE(WaitFor([&] { return Docked(); }, 90)) << program->output();

    unsigned int buttons = 0;
    const auto held = [&] {
        Pointer(&buttons);
        return buttons != 0;
    };
    kill(program->pid(), SIGUSR1);
    ASSERT_TRUE(WaitFor(held, 5)) << "no timed press: " << program->output();
    const auto pressed = Clock::now();
    face_->SetFrozen(true);
    EXPECT_TRUE(WaitFor([&] { return !held(); }, 10)) << "the button stays down";
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - pressed).count(),
              kFirstStartDwellSeconds + 0.5);
    Terminate(*program);
}

}  // namespace
}  // namespace veltranix
