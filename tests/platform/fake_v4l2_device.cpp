#include "tests/platform/fake_v4l2_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veltranix::testing {

namespace {

constexpr std::uint32_t kOffsetStride = 0x100000;

int Fail(int error) {
    errno = error;
    return -1;
}

std::uint32_t RowBytes(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
        case V4L2_PIX_FMT_YUV420:
            return 640;
        case V4L2_PIX_FMT_RGB24:
        case V4L2_PIX_FMT_BGR24:
            return 640 * 3;
        default:
            return 640 * 2;  // YUYV, and a compressed format's worst case
    }
}

bool Offers640x480(const FakeFormat& format) {
    if (const auto& range = format.stepwise) {
        return range->min_width <= 640 && range->max_width >= 640 && range->min_height <= 480 &&
               range->max_height >= 480 && (640 - range->min_width) % range->step_width == 0 &&
               (480 - range->min_height) % range->step_height == 0;
    }
    return std::count(format.sizes.begin(), format.sizes.end(), std::pair{640u, 480u}) > 0;
}

// The test picture in RGB24 rows; the bytes of other formats and the padding
// stay 0xEE (their tests check sizes and layouts only).
void FillPicture(std::uint32_t pixelFormat, std::uint32_t bytesPerLine,
                 std::vector<std::uint8_t>& buffer) {
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xEE});
    for (int y = 0; pixelFormat == V4L2_PIX_FMT_RGB24 && y < 480; ++y) {
        std::uint8_t* row = buffer.data() + static_cast<std::size_t>(y) * bytesPerLine;
        for (int x = 0; x < 640; ++x) {
            const FakeColour c = FakePixel(x, y);
            row[3 * x] = c.red;
            row[3 * x + 1] = c.green;
            row[3 * x + 2] = c.blue;
        }
    }
}

}  // namespace

FakeV4l2::Node* FakeV4l2::Find(const std::string& path) {
    for (Node& node : nodes_) {
        if (node.node.path == path || (!path.empty() && node.node.stablePath == path)) {
            return &node;
        }
    }
    return nullptr;
}

void FakeV4l2::addNode(FakeNode node) {
    std::lock_guard lock(mutex_);
    nodes_.push_back({std::move(node)});
}

void FakeV4l2::setPresent(const std::string& path, bool present) {
    std::lock_guard lock(mutex_);
    Node* node = Find(path);
    node->generation += node->present && !present ? 1 : 0;
    node->present = present;
}

void FakeV4l2::setDelivering(const std::string& path, bool delivering) {
    std::lock_guard lock(mutex_);
    Find(path)->delivering = delivering;
}

std::vector<std::chrono::milliseconds> FakeV4l2::openTimes(const std::string& path) const {
    std::lock_guard lock(mutex_);
    for (const Node& node : nodes_) {
        if (node.node.path == path) {
            return node.openTimes;
        }
    }
    return {};
}

int FakeV4l2::openDescriptors() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(descriptors_.size());
}

int FakeV4l2::mappedBuffers() const {
    std::lock_guard lock(mutex_);
    return mapped_;
}

std::optional<v4l2_fract> FakeV4l2::requestedFrameInterval() const {
    std::lock_guard lock(mutex_);
    return frameInterval_;
}

std::vector<std::string> FakeV4l2::videoNodes() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const Node& node : nodes_) {
        if (node.present) {
            paths.push_back(node.node.path);
        }
    }
    return paths;
}

std::string FakeV4l2::stablePath(const std::string& node) {
    std::lock_guard lock(mutex_);
    const Node* found = Find(node);
    return found != nullptr && !found->node.stablePath.empty() ? found->node.stablePath : node;
}

int FakeV4l2::open(const std::string& path, int flags) {
    std::lock_guard lock(mutex_);
    if ((flags & O_CLOEXEC) == 0) {
        return Fail(EINVAL);
    }
    Node* node = Find(path);
    if (node == nullptr) {
        return Fail(ENOENT);
    }
    node->openTimes.push_back(clock_.now());
    if (!node->present || node->node.openErrno != 0) {
        return Fail(node->present ? node->node.openErrno : ENOENT);
    }
    descriptors_[nextDescriptor_] = {node, node->generation};
    return nextDescriptor_++;
}

int FakeV4l2::close(int fd) {
    std::lock_guard lock(mutex_);
    return descriptors_.erase(fd) == 1 ? 0 : Fail(EBADF);
}

FakeV4l2::Descriptor* FakeV4l2::Live(int fd) {
    const auto found = descriptors_.find(fd);
    if (found == descriptors_.end() || !found->second.Alive()) {
        errno = found == descriptors_.end() ? EBADF : ENODEV;
        return nullptr;
    }
    return &found->second;
}

void* FakeV4l2::mmap(std::size_t length, int, int, int fd, std::int64_t offset) {
    std::lock_guard lock(mutex_);
    Descriptor* descriptor = Live(fd);
    const std::size_t index = static_cast<std::size_t>(offset) / kOffsetStride;
    if (descriptor == nullptr) {
        return MAP_FAILED;
    }
    if (index >= descriptor->buffers.size() || length > descriptor->buffers[index].size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    ++mapped_;
    return descriptor->buffers[index].data();
}

int FakeV4l2::munmap(void*, std::size_t) {
    std::lock_guard lock(mutex_);
    --mapped_;
    return 0;
}

int FakeV4l2::poll(int fd, short, int timeoutMs, short& returnedEvents) {
    std::lock_guard lock(mutex_);
    const auto found = descriptors_.find(fd);
    if (found == descriptors_.end()) {
        returnedEvents = POLLNVAL;
    } else if (!found->second.Alive()) {
        returnedEvents = POLLERR | POLLHUP;
    } else {
        returnedEvents = found->second.FrameReady() ? POLLIN : 0;
    }
    if (returnedEvents == 0) {
        clock_.advance(std::chrono::milliseconds(timeoutMs));
    }
    return returnedEvents == 0 ? 0 : 1;
}

int FakeV4l2::ioctl(int fd, unsigned long request, void* argument) {
    std::lock_guard lock(mutex_);
    Descriptor* descriptor = Live(fd);
    if (descriptor == nullptr) {
        return -1;
    }
    const auto& failing = descriptor->node->node.failingCalls;
    if (const auto failure = failing.find(request); failure != failing.end()) {
        return Fail(failure->second);
    }
    return Control(*descriptor, request, argument);
}

int FakeV4l2::Control(Descriptor& descriptor, unsigned long request, void* argument) {
    const std::vector<FakeFormat>& formats = descriptor.node->node.formats;
    switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* capability = static_cast<v4l2_capability*>(argument);
            *capability = {};
            std::strcpy(reinterpret_cast<char*>(capability->card), "Fake Camera");
            // The whole device can capture video; this node's own abilities may be less.
            capability->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE |
                                       V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
            capability->device_caps = descriptor.node->node.deviceCaps;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto* format = static_cast<v4l2_fmtdesc*>(argument);
            if (format->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || format->index >= formats.size()) {
                return Fail(EINVAL);
            }
            format->pixelformat = formats[format->index].pixelFormat;
            format->flags = formats[format->index].flags;
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* size = static_cast<v4l2_frmsizeenum*>(argument);
            const auto format = std::find_if(formats.begin(), formats.end(), [&](const auto& f) {
                return f.pixelFormat == size->pixel_format;
            });
            const std::size_t count =
                format == formats.end() ? 0 : (format->stepwise ? 1 : format->sizes.size());
            if (size->index >= count) {
                return Fail(EINVAL);
            }
            size->type = format->stepwise ? V4L2_FRMSIZE_TYPE_STEPWISE : V4L2_FRMSIZE_TYPE_DISCRETE;
            if (format->stepwise) {
                size->stepwise = *format->stepwise;
            } else {
                size->discrete = {format->sizes[size->index].first,
                                  format->sizes[size->index].second};
            }
            return 0;
        }
        case VIDIOC_S_FMT: {
            if (descriptor.streaming || !descriptor.buffers.empty()) {
                return Fail(EBUSY);
            }
            // Like a driver: what it cannot do it replaces by what it can.
            v4l2_pix_format& pix = static_cast<v4l2_format*>(argument)->fmt.pix;
            const auto offered = std::find_if(formats.begin(), formats.end(), [&](const auto& f) {
                return f.pixelFormat == pix.pixelformat;
            });
            if (offered != formats.end() && offered->setErrno != 0) {
                return Fail(offered->setErrno);
            }
            const FakeFormat& chosen = offered == formats.end() ? formats.front() : *offered;
            if (!Offers640x480(chosen)) {
                pix.width = chosen.stepwise ? chosen.stepwise->max_width : chosen.sizes[0].first;
                pix.height = chosen.stepwise ? chosen.stepwise->max_height : chosen.sizes[0].second;
            }
            pix.pixelformat = chosen.pixelFormat;
            pix.bytesperline = RowBytes(chosen.pixelFormat) + descriptor.node->node.rowPadding;
            pix.sizeimage = pix.bytesperline * pix.height *
                            (chosen.pixelFormat == V4L2_PIX_FMT_YUV420 ? 3 : 2) / 2;
            descriptor.format = &chosen;
            descriptor.bytesPerLine = pix.bytesperline;
            descriptor.imageBytes = pix.sizeimage;
            return 0;
        }
        case VIDIOC_G_PARM: {
            auto& capture = static_cast<v4l2_streamparm*>(argument)->parm.capture;
            capture.capability = V4L2_CAP_TIMEPERFRAME;
            capture.timeperframe = {1, 30};
            return 0;
        }
        case VIDIOC_S_PARM:
            frameInterval_ = static_cast<v4l2_streamparm*>(argument)->parm.capture.timeperframe;
            return 0;
        case VIDIOC_REQBUFS: {
            auto* buffers = static_cast<v4l2_requestbuffers*>(argument);
            if (buffers->memory != V4L2_MEMORY_MMAP || descriptor.streaming) {
                return Fail(EINVAL);
            }
            buffers->count = std::min<std::uint32_t>(buffers->count, 8);
            descriptor.queued.clear();
            descriptor.buffers.assign(buffers->count,
                                      std::vector<std::uint8_t>(descriptor.imageBytes));
            return 0;
        }
        case VIDIOC_QUERYBUF:
        case VIDIOC_QBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (buffer->index >= descriptor.buffers.size()) {
                return Fail(EINVAL);
            }
            if (request == VIDIOC_QBUF) {
                descriptor.queued.push_back(buffer->index);
            } else {
                buffer->length = descriptor.imageBytes;
                buffer->m.offset = buffer->index * kOffsetStride;
            }
            return 0;
        }
        case VIDIOC_DQBUF: {
            if (!descriptor.FrameReady()) {
                return Fail(EAGAIN);
            }
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            buffer->index = descriptor.queued.front();
            descriptor.queued.pop_front();
            FillPicture(descriptor.format->pixelFormat, descriptor.bytesPerLine,
                        descriptor.buffers[buffer->index]);
            buffer->bytesused = descriptor.imageBytes;
            buffer->flags = 0;
            buffer->sequence = descriptor.sequence++;
            return 0;
        }
        case VIDIOC_STREAMON:
            descriptor.streaming = !descriptor.buffers.empty();
            return descriptor.streaming ? 0 : Fail(EINVAL);
        case VIDIOC_STREAMOFF:
            descriptor.streaming = false;
            descriptor.queued.clear();
            return 0;
        default:
            return Fail(ENOTTY);
    }
}

}  // namespace veltranix::testing
