#pragma once

#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/platform/x_screen.h"
#include "tests/platform/x_test_display.h"
#include "tests/support/real_time.h"
#include "tests/support/spawn_program.h"
#include "tests/support/temporary_folder.h"

// The real program on the steered face, as the desktop tests run it.
namespace veltranix::testing {

// The head in front of the steered camera, and the camera's own state. Each
// change replaces the camera's control file whole, so that the camera never
// reads half of it.
class SteeredFace {
  public:
    explicit SteeredFace(std::filesystem::path control) : control_(std::move(control)) { Write(); }

    const std::filesystem::path& control() const { return control_; }
    // The frames the program has taken from the camera so far.
    long FramesTaken() const {
        std::ifstream in(control_.string() + ".taken");
        long frames = 0;
        in >> frames;
        return frames;
    }
    double offsetX() const { return offsetX_; }
    double offsetY() const { return offsetY_; }

    // The head's offset from the camera's middle, in camera pixels.
    void MoveTo(double offsetX, double offsetY) {
        offsetX_ = offsetX;
        offsetY_ = offsetY;
        Write();
    }
    // Turns the head smoothly, as a person does: a third of a camera pixel a
    // frame (40 ms), in real time.
    void TurnTo(double offsetX, double offsetY) {
        constexpr double kStep = 0.33;
        while (std::abs(offsetX_ - offsetX) > 0.01 || std::abs(offsetY_ - offsetY) > 0.01) {
            MoveTo(offsetX_ + std::clamp(offsetX - offsetX_, -kStep, kStep),
                   offsetY_ + std::clamp(offsetY - offsetY_, -kStep, kStep));
            Hold(0.04);
        }
    }
    // How far the jaw has dropped, in camera pixels (0 closed).
    void OpenMouth(int pixels) {
        mouthOpening_ = pixels;
        Write();
    }
    // false: the camera behaves as unplugged.
    void SetPresent(bool present) {
        present_ = present;
        Write();
    }
    // true: the camera sends no frames.
    void SetFrozen(bool frozen) {
        frozen_ = frozen;
        Write();
    }

  private:
    void Write() const {
        const std::filesystem::path next = control_.string() + ".next";
        {
            std::ofstream out(next);
            out << "offsetX=" << offsetX_ << "\noffsetY=" << offsetY_
                << "\nnoiseSigma=1.5\nmouthOpening=" << mouthOpening_ << "\npresent=" << present_
                << "\nfrozen=" << frozen_ << "\n";
        }
        std::filesystem::rename(next, control_);
    }

    std::filesystem::path control_;
    double offsetX_ = 0.0;
    double offsetY_ = 0.0;
    int mouthOpening_ = 0;
    bool present_ = true;
    bool frozen_ = false;
};

// Steers the pointer with the steered face as a user does: learns how far
// the pointer goes for a camera pixel of head movement, then aims at places
// and holds still on them until the dwell clock clicks.
class HeadSteering {
  public:
    using Point = std::pair<int, int>;
    explicit HeadSteering(std::function<Point()> pointer) : pointer_(std::move(pointer)) {}

    // Where the pointer comes to rest once the head is still: unmoved for
    // 0.3 s and for six frames the program took, so that a stalled program
    // does not pass for a settled pointer.
    Point SettledPointer(const SteeredFace& face) {
        constexpr long kStillFrames = 6;
        Point last = pointer_();
        long stillSince = face.FramesTaken();
        for (int poll = 0, stillPolls = 0; poll < 80; ++poll) {
            Hold(0.1);
            const Point now = pointer_();
            const long frames = face.FramesTaken();
            const bool moved =
                std::abs(now.first - last.first) > 2 || std::abs(now.second - last.second) > 2;
            // A camera opened again counts from 0.
            if (moved || frames < stillSince) {
                stillPolls = 0;
                stillSince = frames;
            } else if (++stillPolls >= 3 && frames - stillSince >= kStillFrames) {
                return now;
            }
            last = now;
        }
        return last;
    }

    // Waits until the pointer has stopped: it comes to rest slowly once the
    // head is still, and gestures count only in frames where it moved less
    // than 2 px. False when it still moves after 3 s.
    bool WaitForStillPointer() {
        using Clock = std::chrono::steady_clock;
        constexpr auto kStillFor = std::chrono::milliseconds(250);
        const Clock::time_point end = Clock::now() + std::chrono::seconds(3);
        Point last = pointer_();
        Clock::time_point since = Clock::now();
        while (Clock::now() < end) {
            Hold(0.02);
            const Point now = pointer_();
            if (now != last) {
                last = now;
                since = Clock::now();
            } else if (Clock::now() - since >= kStillFor) {
                return true;
            }
        }
        return false;
    }

    // Turns the head a little each way and back.
    void LearnGain(SteeredFace& face) {
        const auto [x0, y0] = SettledPointer(face);
        face.TurnTo(face.offsetX() + 8, face.offsetY() + 8);
        const auto [x1, y1] = SettledPointer(face);
        gainX_ = (x1 - x0) / 8.0;
        gainY_ = (y1 - y0) / 8.0;
        face.TurnTo(face.offsetX() - 8, face.offsetY() - 8);
        SettledPointer(face);
    }
    double gainX() const { return gainX_; }
    double gainY() const { return gainY_; }
    // Learns the gain, again when the pointer stood still (a program still
    // settling); true when the pointer follows the head both ways.
    bool Follows(SteeredFace& face) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            LearnGain(face);
            if (std::abs(gainX_) > 2.0 && std::abs(gainY_) > 2.0) {
                return true;
            }
        }
        return false;
    }

    // Turns the head by as much as, at the learnt gain, brings the pointer
    // from (x, y) to the middle of `target`.
    void AimAt(SteeredFace& face, const WindowPlace& target, int x, int y) {
        const auto turn = [](int pixels, double gain) {
            return std::abs(gain) > 0.5 ? pixels / gain : 0.0;
        };
        face.TurnTo(std::clamp(face.offsetX() + turn(target.x + target.width / 2 - x, gainX_),
                               -120.0, 120.0),
                    std::clamp(face.offsetY() + turn(target.y + target.height / 2 - y, gainY_),
                               -80.0, 80.0));
    }

    // Turns the head until the pointer rests inside `target` (aiming at its middle).
    bool SteerInto(SteeredFace& face, const WindowPlace& target) {
        for (int step = 0; step < 12; ++step) {
            const auto [x, y] = SettledPointer(face);
            log += "pointer " + std::to_string(x) + "," + std::to_string(y) + " head " +
                   std::to_string(face.offsetX()) + "," + std::to_string(face.offsetY()) + "; ";
            if (target.Contains(x, y)) {
                return true;
            }
            AimAt(face, target, x, y);
        }
        return false;
    }

    // Turns the head until the pointer passes into `target`, without resting
    // there: where the docked window turns into the button menu every spot is
    // a button, which a rest of the dwell time would click.
    bool PassInto(SteeredFace& face, const WindowPlace& target) {
        const auto inside = [&] {
            const auto [x, y] = pointer_();
            return target.Contains(x, y);
        };
        for (int step = 0; step < 12; ++step) {
            if (WaitFor(inside, 0.6)) {
                return true;
            }
            const auto [x, y] = pointer_();
            AimAt(face, target, x, y);
        }
        return inside();
    }

    // Aims at `target` and holds still until the dwell clock clicks there,
    // that is until `clicked` holds; aims again if the pointer drifted off.
    bool DwellClickOn(SteeredFace& face, const WindowPlace& target,
                      const std::function<bool()>& clicked) {
        log.clear();
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (SteerInto(face, target) && WaitFor(clicked, 15)) {
                return true;
            }
            if (clicked()) {
                return true;
            }
        }
        return false;
    }

    // The pointer and head positions of the steering, for a failure's message.
    std::string log;

  private:
    std::function<Point()> pointer_;
    double gainX_ = 0.0;
    double gainY_ = 0.0;
};

// The program's command line: the steered face of `control` as its camera,
// `configDir` as its settings folder, then `extra`.
inline std::vector<std::string> SteeredProgramArguments(
    const std::string& program, const std::filesystem::path& control,
    const std::filesystem::path& configDir, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments{program, "--camera", "steered:" + control.string(),
                                       "--config-dir", configDir.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

// The program's environment: its data and desktop configuration under
// `scratch`, English texts, and no leak report (tests may kill it).
inline std::vector<std::string> ProgramEnvironment(const std::filesystem::path& scratch) {
    return {"XDG_DATA_HOME=" + (scratch / "data").string(),
            "XDG_CONFIG_HOME=" + (scratch / "xdg").string(), "LANG=en_US.UTF-8",
            "ASAN_OPTIONS=detect_leaks=0"};
}

// The fixture of the desktop tests: a steered face and a settings folder
// in a temporary folder, the test's X display, and the program under test
// (VELTRANIX_PROGRAM, named by the test's target) started on them.
class SteeredProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VELTRANIX_REQUIRE_X_DISPLAY();
        // Here, not before: a test's own desktop may set DISPLAY while it is made.
        x_.reset(XOpenDisplay(nullptr));
        ASSERT_NE(screen(), nullptr);
        // The program's windows come and go while a test looks at them.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        face_ = std::make_unique<SteeredFace>(folder_.path() / "face.control");
        XWarpPointer(screen(), None, DefaultRootWindow(screen()), 0, 0, 0, 0, 640, 512);
        XSync(screen(), False);
        Prepare();
    }
    // The test fixture's own set-up, once the display is there.
    virtual void Prepare() {}

    // Starts the program with `extra` arguments and `environment` before the
    // tests' own; its standard error into `log` in the folder, else into log_.
    std::unique_ptr<RunningProgram> Start(const std::vector<std::string>& extra = {},
                                          std::vector<std::string> environment = {},
                                          const std::string& log = "") {
        const std::vector<std::string> scratch = ProgramEnvironment(folder_.path());
        environment.insert(environment.end(), scratch.begin(), scratch.end());
        return std::make_unique<RunningProgram>(
            SteeredProgramArguments(VELTRANIX_PROGRAM, face_->control(), config_, extra),
            environment, log.empty() ? log_ : folder_.path() / log);
    }

    Display* screen() const { return x_.get(); }
    std::optional<WindowPlace> Find(const std::string& name) const {
        return FindShownWindow(screen(), name);
    }
    std::pair<int, int> Pointer(unsigned int* buttons = nullptr) const {
        return PointerPosition(screen(), buttons);
    }

    std::unique_ptr<Display, int (*)(Display*)> x_{nullptr, XCloseDisplay};
    TemporaryFolder folder_;
    const std::filesystem::path config_ = folder_.path() / "config";
    std::filesystem::path log_;  // none: the test's own standard error
    std::unique_ptr<SteeredFace> face_;
    HeadSteering steering_{[this] { return Pointer(); }};
};

// A desktop of a test's own, with DISPLAY naming it while the test runs:
// Xvfb beside the test's server, or Xephyr nested in it with its monitors
// joined by Xinerama.
struct DesktopSetup {
    const char* name = "";
    const char* secondMonitor = "";  // its size: Xephyr with two monitors; "": Xvfb with one
    const char* environment = "";    // a variable of the program's, or ""
    const char* resources = "";      // the root window's RESOURCE_MANAGER
    int scale = 1;
};

class OwnDesktop {
  public:
    explicit OwnDesktop(const DesktopSetup& setup) {
        const char* outer = std::getenv("DISPLAY");
        outer_ = outer != nullptr ? outer : "";
        const bool nested = *setup.secondMonitor != '\0';
        const char* server = nested ? "/usr/bin/Xephyr" : "/usr/bin/Xvfb";
        if (!std::filesystem::exists(server)) {
            missing_ = server;
            return;
        }
        int number = 300 + static_cast<int>(getpid() % 300);
        while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
               std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
            ++number;
        }
        const std::string name = ":" + std::to_string(number);
        std::vector<std::string> arguments{server, name, "-nolisten", "tcp", "-noreset"};
        for (const std::string& screen :
             nested ? std::vector<std::string>{"+xinerama", "-screen", "1920x1080", "-screen",
                                               setup.secondMonitor}
                    : std::vector<std::string>{"-screen", "0", "1920x1080x24"}) {
            arguments.push_back(screen);
        }
        server_ = std::make_unique<RunningProgram>(
            arguments, std::vector<std::string>{"DISPLAY=" + outer_}, std::filesystem::path(),
            Streams::Errors, EndWith::TerminateThenKill);
        Display* display = nullptr;
        WaitFor([&] { return (display = XOpenDisplay(name.c_str())) != nullptr; }, 15);
        if (display == nullptr) {
            missing_ = std::string(server) + " did not start";
            return;
        }
        if (*setup.resources != '\0') {
            XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                            PropModeReplace,
                            reinterpret_cast<const unsigned char*>(setup.resources),
                            static_cast<int>(std::string_view(setup.resources).size()));
        }
        XCloseDisplay(display);
        setenv("DISPLAY", name.c_str(), 1);
    }
    // Ends the server: its clients lose their display.
    ~OwnDesktop() { setenv("DISPLAY", outer_.c_str(), 1); }
    OwnDesktop(const OwnDesktop&) = delete;
    OwnDesktop& operator=(const OwnDesktop&) = delete;

    // Why the desktop is not there; empty when it is.
    const std::string& missing() const { return missing_; }

  private:
    std::string outer_;
    std::string missing_;
    std::unique_ptr<RunningProgram> server_;
};

}  // namespace veltranix::testing
