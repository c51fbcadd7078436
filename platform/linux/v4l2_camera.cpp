#include "platform/linux/v4l2_camera.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <utility>

namespace veltranix {

namespace {

constexpr std::uint32_t kBufferCount = 4;

std::string FourccText(std::uint32_t fourcc) {
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const char letter = static_cast<char>((fourcc >> shift) & 0xFF);
        if (letter != ' ') {
            text += letter;
        }
    }
    return text;
}

std::string CString(const std::uint8_t* text, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(text);
    return std::string(chars, strnlen(chars, size));
}

// "/dev/video0: VIDIOC_STREAMON: Device or resource busy", from errno.
std::string StepText(const std::string& path, const char* call, int error) {
    return path + ": " + call + ": " + std::strerror(error);
}

std::uint32_t OwnCapabilities(const v4l2_capability& capability) {
    return (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? capability.device_caps
                                                                 : capability.capabilities;
}

bool IsCaptureNode(const v4l2_capability& capability) {
    return (OwnCapabilities(capability) & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

std::optional<CameraPixels> PixelsFor(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
        case V4L2_PIX_FMT_YUYV:
            return CameraPixels::Yuyv;
        case V4L2_PIX_FMT_YUV420:
            return CameraPixels::Yu12;
        case V4L2_PIX_FMT_RGB24:
            return CameraPixels::Rgb24;
        case V4L2_PIX_FMT_BGR24:
            return CameraPixels::Bgr24;
        default:
            return std::nullopt;
    }
}

bool Covers(std::uint32_t wanted, std::uint32_t least, std::uint32_t most, std::uint32_t step) {
    return wanted >= least && wanted <= most && (wanted - least) % std::max(step, 1u) == 0;
}

// Whether the format offers 640 x 480; a driver that does not list frame
// sizes is asked by setting the format.
bool Offers640x480(V4l2Api& api, int fd, std::uint32_t pixelFormat) {
    for (std::uint32_t index = 0;; ++index) {
        v4l2_frmsizeenum size{};
        size.index = index;
        size.pixel_format = pixelFormat;
        if (api.ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) != 0) {
            return index == 0;
        }
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            if (size.discrete.width == kFrameWidth && size.discrete.height == kFrameHeight) {
                return true;
            }
            continue;
        }
        const v4l2_frmsize_stepwise& range = size.stepwise;
        return Covers(kFrameWidth, range.min_width, range.max_width, range.step_width) &&
               Covers(kFrameHeight, range.min_height, range.max_height, range.step_height);
    }
}

// Formats that carry no colour picture: greyscale (infrared cameras) and depth.
bool GreyscaleOrDepth(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
        case V4L2_PIX_FMT_GREY:
        case V4L2_PIX_FMT_Y4:
        case V4L2_PIX_FMT_Y6:
        case V4L2_PIX_FMT_Y10:
        case V4L2_PIX_FMT_Y12:
        case V4L2_PIX_FMT_Y14:
        case V4L2_PIX_FMT_Y16:
        case V4L2_PIX_FMT_Y16_BE:
        case V4L2_PIX_FMT_Y10BPACK:
        case V4L2_PIX_FMT_Y10P:
        case V4L2_PIX_FMT_IPU3_Y10:
        case V4L2_PIX_FMT_Y8I:
        case V4L2_PIX_FMT_Y12I:
        case V4L2_PIX_FMT_Z16:
        case V4L2_PIX_FMT_INZI:
        case V4L2_PIX_FMT_CNF4:
            return true;
        default:
            return false;
    }
}

// Whether the driver itself lists a colour format; the ones libv4l2 adds by
// converting (even from greyscale) do not count.
bool OffersColour(V4l2Api& api, int fd) {
    for (std::uint32_t index = 0;; ++index) {
        v4l2_fmtdesc format{};
        format.index = index;
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (api.ioctl(fd, VIDIOC_ENUM_FMT, &format) != 0) {
            return false;
        }
        if ((format.flags & V4L2_FMT_FLAG_EMULATED) == 0 && !GreyscaleOrDepth(format.pixelformat)) {
            return true;
        }
    }
}

struct FormatOffer {
    std::uint32_t pixelFormat = 0;
    bool converted = false;  // listed by libv4l2, converted from a compressed format
};

}  // namespace

std::vector<CaptureDevice> ListCaptureDevices(V4l2Api& api,
                                              std::optional<CameraOpenError>* refused) {
    std::vector<CaptureDevice> devices;
    for (const std::string& path : api.videoNodes()) {
        const int fd = api.open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (refused != nullptr && !*refused) {
                *refused =
                    CameraOpenError{CameraFailure::StepFailed, StepText(path, "open", errno)};
            }
            continue;
        }
        v4l2_capability capability{};
        if (api.ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0 && IsCaptureNode(capability)) {
            devices.push_back({path, CString(capability.card, sizeof capability.card),
                               api.stablePath(path), OffersColour(api, fd)});
        }
        api.close(fd);
    }
    return devices;
}

const CaptureDevice* FirstCamera(const std::vector<CaptureDevice>& devices) {
    const auto colour =
        std::find_if(devices.begin(), devices.end(),
                     [](const CaptureDevice& device) { return device.offersColour; });
    if (colour != devices.end()) {
        return &*colour;
    }
    return devices.empty() ? nullptr : &devices.front();
}

V4l2Capture::V4l2Capture(V4l2Api& api, CameraClock& clock, std::string devicePath)
    : api_(api), clock_(clock), requestedPath_(std::move(devicePath)), health_(clock.now()) {}

V4l2Capture::~V4l2Capture() {
    closeDevice();
}

std::string V4l2Capture::description() const {
    std::lock_guard lock(descriptionMutex_);
    return description_;
}

std::optional<CameraOpenError> V4l2Capture::start() {
    std::optional<CameraOpenError> error = openDevice();
    const std::chrono::milliseconds now = clock_.now();
    health_.reopened(now);
    if (error) {
        health_.deviceLost(now);
        health_.reopenFailed(now);
    }
    return error;
}

std::optional<CameraOpenError> V4l2Capture::openDevice() {
    std::string path = requestedPath_;
    if (path.empty()) {
        // A node that cannot even be opened is remembered, so that "no
        // camera" is not said of one refused to us.
        std::optional<CameraOpenError> refused;
        const std::vector<CaptureDevice> devices = ListCaptureDevices(api_, &refused);
        const CaptureDevice* first = FirstCamera(devices);
        if (first == nullptr) {
            return refused ? *refused : CameraOpenError{CameraFailure::NoDevice, {}};
        }
        path = first->path;
    }
    v4l2_capability capability{};
    fd_ = api_.open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        const bool absent = error == ENOENT || error == ENODEV || error == ENXIO;
        return CameraOpenError{absent ? CameraFailure::NoDevice : CameraFailure::StepFailed,
                               StepText(path, "open", error)};
    }
    if (api_.ioctl(fd_, VIDIOC_QUERYCAP, &capability) != 0) {
        const int error = errno;
        closeDevice();
        return CameraOpenError{CameraFailure::StepFailed, StepText(path, "VIDIOC_QUERYCAP", error)};
    }
    if (!IsCaptureNode(capability)) {
        closeDevice();
        return CameraOpenError{CameraFailure::NoDevice, path + ": not a video capture device"};
    }
    if ((OwnCapabilities(capability) & V4L2_CAP_STREAMING) == 0) {
        closeDevice();
        return CameraOpenError{CameraFailure::StepFailed, path + ": no streaming capture"};
    }
    std::optional<CameraOpenError> error =
        startStreaming(path, CString(capability.card, sizeof capability.card));
    if (error) {
        closeDevice();
    }
    return error;
}

std::optional<CameraOpenError> V4l2Capture::startStreaming(const std::string& path,
                                                           const std::string& card) {
    std::vector<FormatOffer> offers;
    std::string listed;
    for (std::uint32_t index = 0;; ++index) {
        v4l2_fmtdesc format{};
        format.index = index;
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (api_.ioctl(fd_, VIDIOC_ENUM_FMT, &format) != 0) {
            break;
        }
        listed += (listed.empty() ? "" : ", ") + FourccText(format.pixelformat);
        if (PixelsFor(format.pixelformat) && Offers640x480(api_, fd_, format.pixelformat)) {
            offers.push_back({format.pixelformat, (format.flags & V4L2_FMT_FLAG_EMULATED) != 0});
        }
    }
    std::optional<FormatOffer> chosen;
    std::optional<CameraOpenError> refused;
    for (const FormatOffer& offer : offers) {
        v4l2_format format{};
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        format.fmt.pix.width = kFrameWidth;
        format.fmt.pix.height = kFrameHeight;
        format.fmt.pix.pixelformat = offer.pixelFormat;
        format.fmt.pix.field = V4L2_FIELD_NONE;
        if (api_.ioctl(fd_, VIDIOC_S_FMT, &format) != 0) {
            // Refused (a format the driver lists but cannot set now): the next offer.
            if (!refused) {
                refused = CameraOpenError{CameraFailure::StepFailed,
                                          StepText(path, "VIDIOC_S_FMT", errno)};
            }
            continue;
        }
        // The driver may have set something else than asked: then the next offer.
        if (format.fmt.pix.width != kFrameWidth || format.fmt.pix.height != kFrameHeight ||
            format.fmt.pix.pixelformat != offer.pixelFormat) {
            continue;
        }
        pixels_ = *PixelsFor(offer.pixelFormat);
        const std::size_t rowBytes = pixels_ == CameraPixels::Yuyv   ? kFrameWidth * 2
                                     : pixels_ == CameraPixels::Yu12 ? kFrameWidth
                                                                     : kFrameWidth * 3;
        bytesPerLine_ = std::max<std::size_t>(format.fmt.pix.bytesperline, rowBytes);
        chosen = offer;
        break;
    }
    if (!chosen && refused) {
        return refused;
    }
    if (!chosen) {
        return CameraOpenError{CameraFailure::NoFormat,
                               path + ": no 640 x 480 format in YUYV, YU12, RGB24 or BGR24" +
                                   (listed.empty() ? std::string() : " (offered: " + listed + ")")};
    }

    // 25 frames a second where the driver lets the rate be set; a driver
    // that does not keeps its own.
    v4l2_streamparm rate{};
    rate.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (api_.ioctl(fd_, VIDIOC_G_PARM, &rate) == 0 &&
        (rate.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) != 0) {
        rate.parm.capture.timeperframe = {1, 25};
        api_.ioctl(fd_, VIDIOC_S_PARM, &rate);
    }

    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (api_.ioctl(fd_, VIDIOC_REQBUFS, &request) != 0) {
        return CameraOpenError{CameraFailure::StepFailed, StepText(path, "VIDIOC_REQBUFS", errno)};
    }
    if (request.count == 0) {
        return CameraOpenError{CameraFailure::StepFailed,
                               path + ": VIDIOC_REQBUFS: the driver gave no buffers"};
    }
    for (std::uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer{};
        buffer.index = index;
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (api_.ioctl(fd_, VIDIOC_QUERYBUF, &buffer) != 0) {
            return CameraOpenError{CameraFailure::StepFailed,
                                   StepText(path, "VIDIOC_QUERYBUF", errno)};
        }
        void* start =
            api_.mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset);
        if (start == MAP_FAILED) {
            return CameraOpenError{CameraFailure::StepFailed, StepText(path, "mmap", errno)};
        }
        buffers_.push_back({start, buffer.length});
        if (api_.ioctl(fd_, VIDIOC_QBUF, &buffer) != 0) {
            return CameraOpenError{CameraFailure::StepFailed, StepText(path, "VIDIOC_QBUF", errno)};
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (api_.ioctl(fd_, VIDIOC_STREAMON, &type) != 0) {
        return CameraOpenError{CameraFailure::StepFailed, StepText(path, "VIDIOC_STREAMON", errno)};
    }
    std::lock_guard lock(descriptionMutex_);
    description_ = path + " (" + card + ") " + FourccText(chosen->pixelFormat) +
                   (chosen->converted ? " (converted)" : "") + " 640 x 480";
    return std::nullopt;
}

void V4l2Capture::closeDevice() {
    if (fd_ < 0) {
        return;
    }
    // On a device that is gone these fail; the descriptor is closed all the same.
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    api_.ioctl(fd_, VIDIOC_STREAMOFF, &type);
    for (const MappedBuffer& buffer : buffers_) {
        api_.munmap(buffer.start, buffer.length);
    }
    if (!buffers_.empty()) {
        v4l2_requestbuffers release{};
        release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        release.memory = V4L2_MEMORY_MMAP;
        api_.ioctl(fd_, VIDIOC_REQBUFS, &release);
    }
    buffers_.clear();
    api_.close(fd_);
    fd_ = -1;
}

void V4l2Capture::loseDevice() {
    health_.deviceLost(clock_.now());
    closeDevice();
}

V4l2Capture::Dequeued V4l2Capture::dequeueFrame(short returnedEvents) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (api_.ioctl(fd_, VIDIOC_DQBUF, &buffer) != 0) {
        if (errno == EAGAIN && (returnedEvents & (POLLERR | POLLHUP | POLLNVAL)) == 0) {
            return Dequeued::NoFrame;
        }
        return Dequeued::Lost;
    }
    Dequeued result = Dequeued::NoFrame;
    if (buffer.index < buffers_.size() && (buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedBuffer& mapped = buffers_[buffer.index];
        const std::size_t used = buffer.bytesused != 0 ? buffer.bytesused : mapped.length;
        const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(mapped.start),
                                                  std::min(used, mapped.length));
        if (PackCameraFrame(bytes, pixels_, bytesPerLine_, mailbox_.back())) {
            mailbox_.publish(LayoutForCameraPixels(pixels_));
            result = Dequeued::Frame;
        }
    }
    if (api_.ioctl(fd_, VIDIOC_QBUF, &buffer) != 0) {
        return Dequeued::Lost;
    }
    return result;
}

void V4l2Capture::step() {
    if (fd_ < 0) {
        const std::chrono::milliseconds now = clock_.now();
        if (!health_.reopenDue(now)) {
            clock_.sleepFor(std::min(kPollTimeout, health_.nextReopen() - now));
            return;
        }
        if (openDevice()) {
            health_.reopenFailed(now);
        } else {
            health_.reopened(clock_.now());
        }
        return;
    }
    short returnedEvents = 0;
    const int ready =
        api_.poll(fd_, POLLIN, static_cast<int>(kPollTimeout.count()), returnedEvents);
    if (ready < 0) {
        if (errno != EINTR) {
            loseDevice();
        }
        return;
    }
    if (ready > 0) {
        switch (dequeueFrame(returnedEvents)) {
            case Dequeued::Frame:
                health_.frameArrived(clock_.now());
                return;
            case Dequeued::Lost:
                loseDevice();
                return;
            case Dequeued::NoFrame:
                break;
        }
    }
    if (health_.checkFrozen(clock_.now())) {
        closeDevice();
    }
}

OpenedCamera V4l2Camera::Open(std::shared_ptr<V4l2Api> api, std::shared_ptr<CameraClock> clock,
                              const std::string& devicePath, CameraStart start) {
    std::unique_ptr<V4l2Camera> camera(
        new V4l2Camera(std::move(api), std::move(clock), devicePath));
    std::optional<CameraOpenError> error = camera->capture_.start();
    if (error && start == CameraStart::FailAtOnce) {
        return {nullptr, *std::move(error)};
    }
    camera->thread_ = std::jthread([raw = camera.get()](std::stop_token stop) {
        while (!stop.stop_requested()) {
            raw->capture_.step();
        }
    });
    if (error) {
        return {std::move(camera), *std::move(error), true};
    }
    return {std::move(camera), {}};
}

V4l2Camera::V4l2Camera(std::shared_ptr<V4l2Api> api, std::shared_ptr<CameraClock> clock,
                       const std::string& devicePath)
    : api_(std::move(api)), clock_(std::move(clock)), capture_(*api_, *clock_, devicePath) {}

V4l2Camera::~V4l2Camera() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool V4l2Camera::takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) {
    return capture_.mailbox().take(bytes, layout).has_value();
}

}  // namespace veltranix
