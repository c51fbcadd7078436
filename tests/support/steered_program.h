#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
