#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/platform/x_screen.h"
#include "tests/support/real_time.h"

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

}  // namespace veltranix::testing
