#pragma once

#include <filesystem>
#include <string>
#include <thread>

#include <opencv2/videoio.hpp>

#include "capture/camera_health.h"
#include "capture/camera_source.h"
#include "capture/frame_mailbox.h"

namespace veltranix {

// A video file played as the camera: each picture centre-cropped to 4:3,
// scaled to 640 x 480 and delivered bottom-up blue-green-red. The video is
// paced by its reader: its thread decodes the next picture only once the
// previous one has been taken, so every picture is delivered once, one per
// take; at the end it starts again from the beginning.
class VideoFileCamera : public CameraSource {
  public:
    // Opens the video and decodes its first picture; StepFailed (with the
    // reason) when the file is no readable video or its pictures cannot be
    // made into frames.
    static OpenedCamera Open(const std::filesystem::path& file);
    ~VideoFileCamera() override;

    bool takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) override;
    CameraStatus status() const override { return health_.status(); }
    std::string description() const override { return description_; }

  private:
    VideoFileCamera(std::filesystem::path file, cv::VideoCapture video);
    // Decodes the next picture (from the start again after the last) into
    // the mailbox; empty, or why no picture could be made.
    std::string deliverNextPicture();
    void run(std::stop_token stop);

    std::filesystem::path file_;
    cv::VideoCapture video_;  // capture thread only, once started
    cv::Mat picture_;
    cv::Mat frame_;
    std::string description_;
    FrameMailbox mailbox_;
    CameraHealthMonitor health_;
    std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace veltranix
