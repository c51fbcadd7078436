#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include <opencv2/videoio.hpp>

#include "capture/camera_health.h"
#include "capture/camera_image.h"
#include "capture/camera_source.h"
#include "capture/frame_mailbox.h"
#include "capture/y4m_reader.h"

namespace veltranix {

// A video file played as the camera: each picture turned upright as its
// rotation flag asks, centre-cropped to 4:3,
// scaled to 640 x 480 and delivered bottom-up blue-green-red. A YUV4MPEG2
// file of 640 x 480 or 320 x 240 is delivered as I420, as it is or doubled,
// without decoding, as a webcam delivers its frames. The video is
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
    explicit VideoFileCamera(std::filesystem::path file);
    // Decodes the next picture (from the start again after the last) into
    // the mailbox; empty, or why no picture could be made.
    std::string deliverNextPicture();
    // The same for a YUV4MPEG2 file.
    std::string deliverNextY4mFrame();
    void run(std::stop_token stop);

    std::filesystem::path file_;
    // Capture thread only, once started: one of the two readers.
    cv::VideoCapture video_;
    PictureTurn turn_ = PictureTurn::Upright;
    std::optional<Y4mReader> y4m_;
    std::vector<std::uint8_t> y4mFrame_;
    cv::Mat picture_;
    cv::Mat turned_;  // the picture upright
    cv::Mat frame_;
    std::string description_;
    FrameMailbox mailbox_;
    CameraHealthMonitor health_;
    std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace veltranix
