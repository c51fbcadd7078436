#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
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

// The steered face as a camera: 25 frames a second on a thread of its own,
// steered by the control file, which it reads before every frame (the tests
// replace it whole), while the program runs. The count of frames taken is
// written beside it, in "<control file>.taken".
class SteeredFaceCamera : public CameraSource {
  public:
    static constexpr std::chrono::milliseconds kFramePeriod{40};

    // Reads the photograph (the synthetic face's); NoDevice when it cannot.
    // The control file need not exist yet; one that says the camera is not
    // present gives a waiting source.
    static OpenedCamera Open(const std::filesystem::path& photograph,
                             const std::filesystem::path& controlFile,
                             std::shared_ptr<CameraClock> clock);

    bool takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) override;
    CameraStatus status() const override { return health_.status(); }
    std::string description() const override { return description_; }

  private:
    SteeredFaceCamera(SyntheticFace face, const std::filesystem::path& controlFile,
                      std::shared_ptr<CameraClock> clock);
    void run(std::stop_token stop);
    // One frame period: a frame into the mailbox unless the camera is absent or frozen.
    void produceFrame(std::chrono::milliseconds now);

    std::shared_ptr<CameraClock> clock_;
    SyntheticFace face_;
    std::filesystem::path controlFile_;
    std::uint32_t noiseSeed_ = 1;
    long framesTaken_ = 0;  // written beside the control file as "<control>.taken"
    CameraHealthMonitor health_;
    FrameMailbox mailbox_;
    std::string description_;
    std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace veltranix
