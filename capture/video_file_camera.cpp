#include "capture/video_file_camera.h"

#include <chrono>
#include <utility>

#include "capture/camera_clock.h"
#include "capture/camera_image.h"

namespace veltranix {

namespace {

constexpr std::chrono::milliseconds kTakeWait{100};

std::chrono::milliseconds Now() {
    return SteadyCameraClock().now();
}

}  // namespace

OpenedCamera VideoFileCamera::Open(const std::filesystem::path& file) {
    cv::VideoCapture video;
    if (!video.open(file.string()) || !video.isOpened()) {
        return CameraFailed(CameraFailure::StepFailed, file.string() + ": not a readable video");
    }
    std::unique_ptr<VideoFileCamera> camera(new VideoFileCamera(file, std::move(video)));
    if (const std::string problem = camera->deliverNextPicture(); !problem.empty()) {
        return CameraFailed(CameraFailure::StepFailed, file.string() + ": " + problem);
    }
    camera->description_ = file.string() + " (video file) " +
                           std::to_string(camera->picture_.cols) + " x " +
                           std::to_string(camera->picture_.rows) + " as 640 x 480";
    camera->thread_ = std::jthread([raw = camera.get()](std::stop_token stop) { raw->run(stop); });
    return {std::move(camera), {}};
}

VideoFileCamera::VideoFileCamera(std::filesystem::path file, cv::VideoCapture video)
    : file_(std::move(file)), video_(std::move(video)), health_(Now()) {}

VideoFileCamera::~VideoFileCamera() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string VideoFileCamera::deliverNextPicture() {
    if (!video_.read(picture_) || picture_.empty()) {
        // The end: from the beginning again, reopening the file if it cannot seek.
        if (!video_.set(cv::CAP_PROP_POS_FRAMES, 0) || !video_.read(picture_) || picture_.empty()) {
            video_.release();
            if (!video_.open(file_.string()) || !video_.read(picture_) || picture_.empty()) {
                return "no picture could be read";
            }
        }
    }
    FrameLayout layout = FrameLayout::Rgb24BottomUp;
    if (picture_.cols == kFrameWidth / 2 && picture_.rows == kFrameHeight / 2 &&
        picture_.type() == CV_8UC3) {
        // Half the bytes of the colour layout, and the engine reads the luma
        // plane as it is.
        layout = FrameLayout::I420;
        HalfSizeBgrToI420(picture_, frame_, mailbox_.back());
    } else {
        if (std::string problem = CropToCameraFrame(picture_, frame_); !problem.empty()) {
            return problem;
        }
        BgrToLayout(frame_, layout, mailbox_.back());
    }
    mailbox_.publish(layout);
    health_.frameArrived(Now());
    return {};
}

void VideoFileCamera::run(std::stop_token stop) {
    while (!stop.stop_requested()) {
        if (!health_.reopenDue(Now())) {
            std::this_thread::sleep_for(kTakeWait);
            continue;
        }
        if (!mailbox_.waitUntilTaken(kTakeWait)) {
            continue;
        }
        if (!deliverNextPicture().empty()) {
            // A file that went away or broke: tried again every reopening period.
            health_.deviceLost(Now());
            health_.reopenFailed(Now());
        }
    }
}

bool VideoFileCamera::takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) {
    return mailbox_.take(bytes, layout).has_value();
}

}  // namespace veltranix
