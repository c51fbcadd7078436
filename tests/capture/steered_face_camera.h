#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "capture/camera_clock.h"
#include "capture/camera_health.h"
#include "capture/camera_source.h"
#include "capture/frame_mailbox.h"
#include "capture/synthetic_face.h"

namespace veltranix {

// What the control file of the steered face says.
struct SteeredControl {
    FaceScene scene;
    FrameLayout layout = FrameLayout::Yuy2;
    bool present = true;  // false: the camera behaves as unplugged
    bool frozen = false;  // true: the camera sends no frames
};

// Applies `name=value` lines to `control`: offsetX, offsetY, noiseSigma
// (numbers), firstLidDown, secondLidDown, mouthOpening (whole numbers, 0 to
// 100), faceVisible, present, frozen (0 or 1), layout (yuy2, i420 or rgb).
// Unknown names, malformed lines and bad values change nothing; names the
// text leaves out keep their value.
void ApplyControlText(std::string_view text, SteeredControl& control);

// The steered face's frame production, without a thread: one call per frame
// period. The control file is looked at (one status query) on every call and
// read again when its time or size changed, and once a second in any case
// (a replacement within one file-time tick changes neither).
class SteeredFace {
  public:
    SteeredFace(SyntheticFace face, std::filesystem::path controlFile,
                std::chrono::milliseconds now);

    // Delivers one rendered frame into `mailbox`, unless the control file
    // says the camera is absent or frozen; keeps the health up to date.
    void produceFrame(std::chrono::milliseconds now, FrameMailbox& mailbox);

    CameraStatus status() const { return health_.status(); }
    const SteeredControl& control() const { return control_; }

  private:
    void readControlFileIfChanged();

    SyntheticFace face_;
    std::filesystem::path controlFile_;
    std::optional<std::filesystem::file_time_type> seenTime_;
    std::uintmax_t seenSize_ = 0;
    int framesSinceRead_ = 0;
    SteeredControl control_;
    std::uint32_t noiseSeed_ = 1;
    std::vector<std::uint8_t> frameBytes_;
    CameraHealthMonitor health_;
};

// The steered face as a camera: 25 frames a second on a thread of its own,
// steered by the control file while the program runs.
class SteeredFaceCamera : public CameraSource {
  public:
    static constexpr std::chrono::milliseconds kFramePeriod{40};

    // Reads the photograph (the synthetic face's); NoDevice when it cannot.
    // The control file need not exist yet; one that says the camera is not
    // present gives a waiting source.
    static OpenedCamera Open(const std::filesystem::path& photograph,
                             const std::filesystem::path& controlFile,
                             std::shared_ptr<CameraClock> clock);
    ~SteeredFaceCamera() override;

    bool takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) override;
    CameraStatus status() const override { return face_.status(); }
    std::string description() const override { return description_; }

  private:
    SteeredFaceCamera(SyntheticFace face, const std::filesystem::path& controlFile,
                      std::shared_ptr<CameraClock> clock);
    void run(std::stop_token stop);

    std::shared_ptr<CameraClock> clock_;
    SteeredFace face_;
    FrameMailbox mailbox_;
    std::string description_;
    std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace veltranix
