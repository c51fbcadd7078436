#include "capture/video_file_camera.h"

#include <chrono>
#include <fstream>
#include <utility>

#include <opencv2/imgproc.hpp>

#include "capture/camera_clock.h"
#include "capture/camera_image.h"

namespace veltranix {

namespace {

constexpr std::chrono::milliseconds kTakeWait{100};

std::chrono::milliseconds Now() {
    return SteadyCameraClock().now();
}

bool StartsAsY4m(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string start(kY4mMagic.size(), '\0');
    return in.read(start.data(), static_cast<std::streamsize>(start.size())) && start == kY4mMagic;
}

}  // namespace

OpenedCamera VideoFileCamera::Open(const std::filesystem::path& file) {
    std::unique_ptr<VideoFileCamera> camera(new VideoFileCamera(file));
    if (StartsAsY4m(file)) {
        std::string error;
        camera->y4m_ = Y4mReader::Open(file, error);
        if (!camera->y4m_) {
            return CameraFailed(CameraFailure::StepFailed, file.string() + ": " + error);
        }
    } else if (!camera->video_.open(file.string()) || !camera->video_.isOpened()) {
        return CameraFailed(CameraFailure::StepFailed, file.string() + ": not a readable video");
    } else {
        camera->turn_ = TakeOverPictureTurn(camera->video_);
    }
    if (const std::string problem = camera->deliverNextPicture(); !problem.empty()) {
        return CameraFailed(CameraFailure::StepFailed, file.string() + ": " + problem);
    }
    const cv::Size size =
        camera->y4m_ ? cv::Size(camera->y4m_->header().width, camera->y4m_->header().height)
                     : camera->turned_.size();
    camera->description_ = file.string() + " (video file) " + std::to_string(size.width) + " x " +
                           std::to_string(size.height) + " as 640 x 480";
    camera->thread_ = std::jthread([raw = camera.get()](std::stop_token stop) { raw->run(stop); });
    return {std::move(camera), {}};
}

VideoFileCamera::VideoFileCamera(std::filesystem::path file)
    : file_(std::move(file)), health_(Now()) {}

VideoFileCamera::~VideoFileCamera() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string VideoFileCamera::deliverNextPicture() {
    if (y4m_) {
        return deliverNextY4mFrame();
    }
    if (!video_.read(picture_) || picture_.empty()) {
        // The end: from the beginning again, reopening the file if it cannot seek.
        if (!video_.set(cv::CAP_PROP_POS_FRAMES, 0) || !video_.read(picture_) || picture_.empty()) {
            video_.release();
            if (!video_.open(file_.string())) {
                return "no picture could be read";
            }
            turn_ = TakeOverPictureTurn(video_);
            if (!video_.read(picture_) || picture_.empty()) {
                return "no picture could be read";
            }
        }
    }
    TurnPicture(picture_, turned_, turn_);
    FrameLayout layout = FrameLayout::Rgb24BottomUp;
    if (turned_.cols == kFrameWidth / 2 && turned_.rows == kFrameHeight / 2 &&
        turned_.type() == CV_8UC3) {
        // Half the bytes of the colour layout, and the engine reads the luma
        // plane as it is.
        layout = FrameLayout::I420;
        HalfSizeBgrToI420(turned_, frame_, mailbox_.back());
    } else {
        if (std::string problem = CropToCameraFrame(turned_, frame_); !problem.empty()) {
            return problem;
        }
        BgrToLayout(frame_, layout, mailbox_.back());
    }
    mailbox_.publish(layout);
    health_.frameArrived(Now());
    return {};
}

std::string VideoFileCamera::deliverNextY4mFrame() {
    // A frame of the camera's size is read straight into the mailbox.
    const auto target = [this]() -> std::vector<std::uint8_t>& {
        const Y4mHeader& header = y4m_->header();
        return header.width == kFrameWidth && header.height == kFrameHeight ? mailbox_.back()
                                                                            : y4mFrame_;
    };
    if (const std::string problem = y4m_->readFrame(target()); !problem.empty()) {
        // A file that broke or was replaced: from its start again.
        std::string error;
        std::optional<Y4mReader> reopened = Y4mReader::Open(file_, error);
        if (!reopened) {
            return error;
        }
        y4m_ = std::move(reopened);
        if (std::string again = y4m_->readFrame(target()); !again.empty()) {
            return again;
        }
    }
    const Y4mHeader& header = y4m_->header();
    FrameLayout layout = FrameLayout::I420;
    if (header.width == kFrameWidth / 2 && header.height == kFrameHeight / 2) {
        DoubleHalfSizeI420(y4mFrame_.data(), mailbox_.back());
    } else if (header.width != kFrameWidth || header.height != kFrameHeight) {
        const cv::Mat planes(header.height * 3 / 2, header.width, CV_8UC1, y4mFrame_.data());
        cv::cvtColor(planes, picture_, cv::COLOR_YUV2BGR_I420);
        if (std::string problem = CropToCameraFrame(picture_, frame_); !problem.empty()) {
            return problem;
        }
        layout = FrameLayout::Rgb24BottomUp;
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
