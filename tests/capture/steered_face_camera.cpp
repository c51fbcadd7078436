#include "tests/capture/steered_face_camera.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>

namespace veltranix {

namespace {

constexpr int kMostPixelsDown = 100;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<double> ParseReal(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseWhole(std::string_view text, int least, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

void ApplyLine(std::string_view name, std::string_view value, SteeredControl& control) {
    FaceScene& scene = control.scene;
    const auto setReal = [&](double& field) {
        if (const std::optional<double> number = ParseReal(value)) {
            field = *number;
        }
    };
    const auto setPixels = [&](int& field) {
        if (const std::optional<int> number = ParseWhole(value, 0, kMostPixelsDown)) {
            field = *number;
        }
    };
    const auto setSwitch = [&](bool& field) {
        if (const std::optional<int> number = ParseWhole(value, 0, 1)) {
            field = *number == 1;
        }
    };
    if (name == "offsetX") {
        setReal(scene.offsetX);
    } else if (name == "offsetY") {
        setReal(scene.offsetY);
    } else if (name == "noiseSigma") {
        double sigma = scene.noiseSigma;
        setReal(sigma);
        if (sigma >= 0.0 && sigma <= 100.0) {
            scene.noiseSigma = sigma;
        }
    } else if (name == "firstLidDown") {
        setPixels(scene.firstLidDown);
    } else if (name == "secondLidDown") {
        setPixels(scene.secondLidDown);
    } else if (name == "mouthOpening") {
        setPixels(scene.mouthOpening);
    } else if (name == "faceVisible") {
        setSwitch(scene.faceVisible);
    } else if (name == "present") {
        setSwitch(control.present);
    } else if (name == "frozen") {
        setSwitch(control.frozen);
    } else if (name == "layout") {
        if (value == "yuy2") {
            control.layout = FrameLayout::Yuy2;
        } else if (value == "i420") {
            control.layout = FrameLayout::I420;
        } else if (value == "rgb") {
            control.layout = FrameLayout::Rgb24BottomUp;
        }
    }
}

}  // namespace

void ApplyControlText(std::string_view text, SteeredControl& control) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            ApplyLine(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), control);
        }
    }
}

// The control file as it is now; none (yet) or unreadable: the defaults.
SteeredControl ReadControl(const std::filesystem::path& controlFile) {
    SteeredControl control;
    std::ifstream file(controlFile, std::ios::binary);
    ApplyControlText(std::string(std::istreambuf_iterator<char>(file), {}), control);
    return control;
}

void SteeredFaceCamera::produceFrame(std::chrono::milliseconds now) {
    const SteeredControl control = ReadControl(controlFile_);
    if (!control.present) {
        health_.deviceLost(now);
        return;
    }
    if (control.frozen) {
        health_.checkFrozen(now);
        return;
    }
    FaceScene scene = control.scene;
    scene.noiseSeed = noiseSeed_++;
    SyntheticFace::ToLayout(face_.renderBgr(scene), control.layout, mailbox_.back());
    mailbox_.publish(control.layout);
    health_.frameArrived(now);
}

OpenedCamera SteeredFaceCamera::Open(const std::filesystem::path& photograph,
                                     const std::filesystem::path& controlFile,
                                     std::shared_ptr<CameraClock> clock) {
    std::optional<SyntheticFace> face = SyntheticFace::Load(photograph);
    if (!face) {
        return CameraFailed(CameraFailure::NoDevice,
                            photograph.string() + ": the steered face's photograph is unreadable");
    }
    std::unique_ptr<SteeredFaceCamera> camera(
        new SteeredFaceCamera(*std::move(face), controlFile, std::move(clock)));
    camera->thread_ = std::jthread([raw = camera.get()](std::stop_token stop) { raw->run(stop); });
    if (!ReadControl(controlFile).present) {
        return {std::move(camera),
                {CameraFailure::NoDevice, controlFile.string() + ": present=0, as unplugged"},
                true};
    }
    return {std::move(camera), {}};
}

SteeredFaceCamera::SteeredFaceCamera(SyntheticFace face, const std::filesystem::path& controlFile,
                                     std::shared_ptr<CameraClock> clock)
    : clock_(std::move(clock)),
      face_(std::move(face)),
      controlFile_(controlFile),
      health_(clock_->now()),
      description_("steered face (" + controlFile.string() + ") 640 x 480") {}

void SteeredFaceCamera::run(std::stop_token stop) {
    std::chrono::milliseconds next = clock_->now();
    while (!stop.stop_requested()) {
        const std::chrono::milliseconds now = clock_->now();
        if (now < next) {
            clock_->sleepFor(next - now);
            continue;
        }
        produceFrame(now);
        next += kFramePeriod;
        if (next < now) {
            // Fell behind (a stalled machine): no burst of frames to catch up.
            next = now + kFramePeriod;
        }
    }
}

bool SteeredFaceCamera::takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) {
    if (!mailbox_.take(bytes, layout)) {
        return false;
    }
    // Whole, for the steering, which waits on frames rather than time.
    const std::filesystem::path next = controlFile_.string() + ".taken.next";
    std::ofstream(next) << ++framesTaken_ << "\n";
    std::error_code ignored;
    std::filesystem::rename(next, controlFile_.string() + ".taken", ignored);
    return true;
}

}  // namespace veltranix
