// The real program in a headless GNOME Wayland session (mutter, with
// XWayland for the program's own windows), operated by a steered face: the
// pointer, a dwell click and a macro's keys reach a native Wayland window,
// as its own log of events shows. Run by run_with_mutter.sh.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "macros/macro_file.h"
#include "macros/macro_set.h"
#include "tests/support/dwell_settings.h"
#include "tests/support/macro_entries.h"
#include "tests/support/real_time.h"
#include "tests/support/spawn_program.h"
#include "tests/support/steered_program.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using testing::EndWith;
using testing::Hold;
using testing::ReadFile;
using testing::RunningProgram;
using testing::Streams;
using testing::WaitFor;

// "Hi!" and Enter: keys given by virtual key (sent by scan code, so by key
// code, Shift included) and a character on the layout's second level (sent
// by keysym).
MacroSet HiMacro() {
    MacroSet set = DefaultMacroSet();
    MacroSlot& macro = set[0];
    macro = MacroSlot{};
    macro.name = u"Hi";
    macro.displayText = u"Hi!";
    // Shift+H, i, ! as a character, Enter.
    using E = testing::MacroEntry;
    testing::AppendEntries(macro,
                           {E{0x10, 1}, E{0x48, 1}, E{0x48, 0}, E{0x10, 0}, E{0x49, 1}, E{0x49, 0},
                            E{0x21, 1, 1}, E{0x21, 0, 1}, E{0x0D, 1}, E{0x0D, 0}});
    return set;
}

// What the native window received, from its log.
class ClientLog {
  public:
    explicit ClientLog(std::filesystem::path file) : file_(std::move(file)) {}

    std::vector<std::string> Lines(std::string_view prefix = {}) const {
        return testing::LinesStartingWith(file_, prefix);
    }
    bool Has(std::string_view prefix) const { return !Lines(prefix).empty(); }
    std::size_t Moves() const { return Lines("move ").size(); }
    // Where the pointer was last seen over the window.
    std::optional<std::pair<int, int>> Pointer() const {
        const auto lines = Lines();
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
            int x = 0;
            int y = 0;
            int button = 0;
            if (std::sscanf(line->c_str(), "move %d %d", &x, &y) == 2 ||
                std::sscanf(line->c_str(), "press %d %d %d", &button, &x, &y) == 3 ||
                std::sscanf(line->c_str(), "release %d %d %d", &button, &x, &y) == 3) {
                return std::pair{x, y};
            }
        }
        return std::nullopt;
    }
    // The text typed into the window: each key's text, "\n" for Enter.
    std::string Typed() const {
        std::string typed;
        for (const std::string& line : Lines("key ")) {
            const std::string text = line.substr(4, line.find(' ', 4) - 4);
            if (text == "\r") {
                typed += "\n";
            } else if (text != "-") {
                typed += text;
            }
        }
        return typed;
    }

  private:
    std::filesystem::path file_;
};

std::string Tail(const std::filesystem::path& file) {
    const std::string text = ReadFile(file);
    return text.size() > 1500 ? text.substr(text.size() - 1500) : text;
}

class WaylandSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if (wayland == nullptr || *wayland == '\0') {
            GTEST_SKIP() << "no Wayland session (run_with_mutter.sh starts one)";
        }
        testing::PrepareDwellSettings(folder_.path() / "config", VELTRANIX_PROGRAM_FOLDER);
        face_ = std::make_unique<testing::SteeredFace>(folder_.path() / "face.control");
    }

    // While the dwell clock runs, its cursor window follows the pointer.
    void LookForClockCursor() {
        clockSeen_ = clockSeen_ || (display_ != nullptr &&
                                    testing::FindShownWindow(display_, "VeltranixClockCursor"));
    }

    testing::TemporaryFolder folder_;
    std::unique_ptr<testing::SteeredFace> face_;
    Display* display_ = nullptr;
    bool clockSeen_ = false;
};

TEST_F(WaylandSessionTest, TheFaceMovesClicksAndTypesInANativeWaylandWindow) {
    const std::filesystem::path logFile = folder_.path() / "client.log";
    RunningProgram client({VELTRANIX_WAYLAND_CLIENT, logFile.string()}, {"QT_QPA_PLATFORM=wayland"},
                          folder_.path() / "client.out", Streams::OutputAndErrors,
                          EndWith::TerminateThenKill);
    ClientLog log(logFile);
    ASSERT_TRUE(client.started());
    ASSERT_TRUE(WaitFor([&] { return log.Has("ready"); }, 20))
        << "the native window did not open: " << client.output();

    const std::filesystem::path programOutput = folder_.path() / "program.out";
    // Another copy may stand in (a second instance of one name ends at once).
    const char* programFile = std::getenv("VELTRANIX_WAYLAND_TEST_PROGRAM");
    const std::string programPath = programFile != nullptr ? programFile : VELTRANIX_PROGRAM;
    // The first macro of the current profile, kept beside the program.
    const std::shared_ptr<void> restore =
        testing::SwapDefaultProfile(std::filesystem::path(programPath).parent_path(), HiMacro());
    RunningProgram program(
        testing::SteeredProgramArguments(programPath, face_->control(), folder_.path() / "config",
                                         {"--test-click-request", "20"}),
        testing::ProgramEnvironment(folder_.path()), programOutput, Streams::OutputAndErrors,
        EndWith::TerminateThenKill);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(WaitFor(
        [&] {
            return program.output().find("pointer and keys through GNOME remote desktop") !=
                   std::string::npos;
        },
        30))
        << (program.Poll() == 0 ? "the program ended at once: is another veltranix running? " : "")
        << program.output();

    // Calibration ends: the program's window docks in the corner.
    const std::unique_ptr<Display, int (*)(Display*)> xWayland(XOpenDisplay(nullptr),
                                                               XCloseDisplay);
    Display* display = xWayland.get();
    // Windows come and go while the tree is walked.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    display_ = display;
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(WaitFor(
        [&] { return testing::IsDocked(testing::FindShownWindow(display, "Veltranix")); }, 90))
        << "the window never docked:\n"
        << Tail(programOutput);

    // The head drives the pointer over the native window: turn the head to
    // and fro until the window hears of it.
    const std::size_t movesBefore = log.Moves();
    bool moving = false;
    for (int swing = 0; swing < 40 && !moving && !program.Poll(); ++swing) {
        face_->TurnTo(swing % 2 == 0 ? 6 : -6, swing % 2 == 0 ? 4 : -4);
        Hold(0.5);
        moving = log.Moves() > movesBefore + 5;
    }
    ASSERT_TRUE(moving) << "the head never moved the pointer over the native window:\n"
                        << program.output();

    // How far the pointer goes for a camera pixel of head movement, seen
    // where the window last saw the pointer.
    testing::HeadSteering steering([&] {
        LookForClockCursor();
        return log.Pointer().value_or(std::pair{-1, -1});
    });
    face_->TurnTo(0, 0);
    steering.LearnGain(*face_);
    EXPECT_GT(std::abs(steering.gainX()), 2.0) << "the pointer did not follow the head sideways:\n"
                                               << testing::ShownWindows(display) << "\n"
                                               << Tail(programOutput);
    EXPECT_GT(std::abs(steering.gainY()), 2.0) << "the pointer did not follow the head up and down";

    // Aim at the middle of the screen and hold still: the dwell clock clicks
    // where the pointer rests (anywhere on the native window will do; the
    // program's own windows are in the bottom-right corner).
    ASSERT_TRUE(steering.DwellClickOn(*face_, {340, 150, 600, 500},
                                      [&] {
                                          LookForClockCursor();
                                          return log.Has("press 1 ");
                                      }))
        << "no dwell click reached the native window; steering: " << steering.log << "\n"
        << testing::ShownWindows(display) << "\n"
        << Tail(logFile) << Tail(programOutput);
    EXPECT_TRUE(WaitFor([&] { return log.Has("release 1 "); }, 2));
    EXPECT_TRUE(clockSeen_) << "no clock cursor window while the dwell clock ran";

    // The program plays its first macro (the click request a macro cell of
    // the click-type menu sends), typed through the same remote desktop.
    kill(program.pid(), SIGUSR1);
    EXPECT_TRUE(WaitFor([&] { return log.Typed().find("Hi") != std::string::npos; }, 10))
        << "typed: " << log.Typed() << "\n"
        << Tail(programOutput);
    EXPECT_NE(log.Typed().find("Hi!\n"), std::string::npos) << "typed: " << log.Typed() << "\n"
                                                            << Tail(logFile);
}

}  // namespace
}  // namespace veltranix
