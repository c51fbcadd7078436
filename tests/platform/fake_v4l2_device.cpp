#include "tests/platform/fake_v4l2_device.h"

#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veltranix::testing {

namespace {

constexpr std::uint32_t kOffsetStride = 0x100000;

std::uint32_t RowBytes(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
        case V4L2_PIX_FMT_YUYV:
            return 640 * 2;
        case V4L2_PIX_FMT_YUV420:
            return 640;
        case V4L2_PIX_FMT_RGB24:
        case V4L2_PIX_FMT_BGR24:
            return 640 * 3;
        default:
            return 640 * 2;  // a compressed format's worst case
    }
}

bool Offers640x480(const FakeFormat& format) {
    if (format.stepwise) {
        const v4l2_frmsize_stepwise& range = *format.stepwise;
        return range.min_width <= 640 && range.max_width >= 640 && range.min_height <= 480 &&
               range.max_height >= 480 && (640 - range.min_width) % range.step_width == 0 &&
               (480 - range.min_height) % range.step_height == 0;
    }
    return std::find(format.sizes.begin(), format.sizes.end(),
                     std::pair<std::uint32_t, std::uint32_t>{640, 480}) != format.sizes.end();
}

}  // namespace

void FakeV4l2::addNode(FakeNode node) {
    std::lock_guard lock(mutex_);
    NodeState state;
    state.node = std::move(node);
    nodes_.push_back(std::move(state));
}

void FakeV4l2::setPresent(const std::string& path, bool present) {
    std::lock_guard lock(mutex_);
    for (NodeState& state : nodes_) {
        if (state.node.path == path && state.present != present) {
            state.present = present;
            if (!present) {
                ++state.generation;
            }
        }
    }
}

void FakeV4l2::setDelivering(const std::string& path, bool delivering) {
    std::lock_guard lock(mutex_);
    for (NodeState& state : nodes_) {
        if (state.node.path == path) {
            state.delivering = delivering;
        }
    }
}

std::vector<std::chrono::milliseconds> FakeV4l2::openTimes(const std::string& path) const {
    std::lock_guard lock(mutex_);
    for (const NodeState& state : nodes_) {
        if (state.node.path == path) {
            return state.openTimes;
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

int FakeV4l2::Fail(int error) const {
    errno = error;
    return -1;
}

bool FakeV4l2::Alive(const Descriptor& descriptor) const {
    const NodeState& state = nodes_[descriptor.node];
    return state.present && state.generation == descriptor.generation;
}

std::vector<std::string> FakeV4l2::videoNodes() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const NodeState& state : nodes_) {
        if (state.present) {
            paths.push_back(state.node.path);
        }
    }
    return paths;
}

int FakeV4l2::open(const std::string& path, int) {
    std::lock_guard lock(mutex_);
    for (std::size_t index = 0; index < nodes_.size(); ++index) {
        NodeState& state = nodes_[index];
        if (state.node.path != path) {
            continue;
        }
        state.openTimes.push_back(clock_.now());
        if (!state.present) {
            return Fail(ENOENT);
        }
        if (state.node.openErrno != 0) {
            return Fail(state.node.openErrno);
        }
        const int fd = nextDescriptor_++;
        Descriptor& descriptor = descriptors_[fd];
        descriptor.node = index;
        descriptor.generation = state.generation;
        return fd;
    }
    return Fail(ENOENT);
}

int FakeV4l2::close(int fd) {
    std::lock_guard lock(mutex_);
    return descriptors_.erase(fd) == 1 ? 0 : Fail(EBADF);
}

void* FakeV4l2::mmap(std::size_t length, int, int, int fd, std::int64_t offset) {
    std::lock_guard lock(mutex_);
    const auto found = descriptors_.find(fd);
    if (found == descriptors_.end()) {
        errno = EBADF;
        return MAP_FAILED;
    }
    const std::size_t index = static_cast<std::size_t>(offset) / kOffsetStride;
    if (!Alive(found->second)) {
        errno = ENODEV;
        return MAP_FAILED;
    }
    if (index >= found->second.buffers.size() || length > found->second.buffers[index].size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    ++mapped_;
    return found->second.buffers[index].data();
}

int FakeV4l2::munmap(void*, std::size_t) {
    std::lock_guard lock(mutex_);
    --mapped_;
    return 0;
}

int FakeV4l2::poll(int fd, short, int timeoutMs, short& returnedEvents) {
    std::lock_guard lock(mutex_);
    returnedEvents = 0;
    const auto found = descriptors_.find(fd);
    if (found == descriptors_.end()) {
        returnedEvents = POLLNVAL;
        return 1;
    }
    const Descriptor& descriptor = found->second;
    if (!Alive(descriptor)) {
        returnedEvents = POLLERR | POLLHUP;
        return 1;
    }
    if (descriptor.streaming && nodes_[descriptor.node].delivering && !descriptor.queued.empty()) {
        returnedEvents = POLLIN;
        return 1;
    }
    clock_.advance(std::chrono::milliseconds(timeoutMs));
    return 0;
}

void FakeV4l2::FillPicture(const Descriptor& descriptor, std::vector<std::uint8_t>& buffer) const {
    const std::uint32_t pixelFormat = descriptor.format->pixelFormat;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xEE});  // padding stays visible
    for (int y = 0; y < 480; ++y) {
        std::uint8_t* row = buffer.data() + static_cast<std::size_t>(y) * descriptor.bytesPerLine;
        for (int x = 0; x < 640; ++x) {
            const FakeColour colour = FakePixel(x, y);
            switch (pixelFormat) {
                case V4L2_PIX_FMT_RGB24:
                    row[3 * x] = colour.red;
                    row[3 * x + 1] = colour.green;
                    row[3 * x + 2] = colour.blue;
                    break;
                case V4L2_PIX_FMT_BGR24:
                    row[3 * x] = colour.blue;
                    row[3 * x + 1] = colour.green;
                    row[3 * x + 2] = colour.red;
                    break;
                case V4L2_PIX_FMT_YUYV:
                    row[2 * x] = colour.red;  // luma
                    row[2 * x + 1] = 128;
                    break;
                default:
                    row[x] = colour.red;
                    break;
            }
        }
    }
}

int FakeV4l2::ioctl(int fd, unsigned long request, void* argument) {
    std::lock_guard lock(mutex_);
    const auto found = descriptors_.find(fd);
    if (found == descriptors_.end()) {
        return Fail(EBADF);
    }
    Descriptor& descriptor = found->second;
    if (!Alive(descriptor)) {
        return Fail(ENODEV);
    }
    const FakeNode& node = nodes_[descriptor.node].node;
    if (const auto failing = node.failingCalls.find(request); failing != node.failingCalls.end()) {
        return Fail(failing->second);
    }
    return Control(descriptor, request, argument);
}

int FakeV4l2::Control(Descriptor& descriptor, unsigned long request, void* argument) {
    const FakeNode& node = nodes_[descriptor.node].node;
    switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* capability = static_cast<v4l2_capability*>(argument);
            *capability = {};
            std::strncpy(reinterpret_cast<char*>(capability->card), node.card.c_str(),
                         sizeof capability->card - 1);
            // The whole device can capture video; this node's own abilities may be less.
            capability->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE |
                                       V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
            capability->device_caps = node.deviceCaps;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto* format = static_cast<v4l2_fmtdesc*>(argument);
            if (format->type != V4L2_BUF_TYPE_VIDEO_CAPTURE ||
                format->index >= node.formats.size()) {
                return Fail(EINVAL);
            }
            format->pixelformat = node.formats[format->index].pixelFormat;
            format->flags = node.formats[format->index].flags;
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* size = static_cast<v4l2_frmsizeenum*>(argument);
            for (const FakeFormat& format : node.formats) {
                if (format.pixelFormat != size->pixel_format) {
                    continue;
                }
                if (format.stepwise) {
                    if (size->index != 0) {
                        return Fail(EINVAL);
                    }
                    size->type = V4L2_FRMSIZE_TYPE_STEPWISE;
                    size->stepwise = *format.stepwise;
                    return 0;
                }
                if (size->index >= format.sizes.size()) {
                    return Fail(EINVAL);
                }
                size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                size->discrete = {format.sizes[size->index].first,
                                  format.sizes[size->index].second};
                return 0;
            }
            return Fail(EINVAL);
        }
        case VIDIOC_S_FMT: {
            auto* format = static_cast<v4l2_format*>(argument);
            if (descriptor.streaming || !descriptor.buffers.empty()) {
                return Fail(EBUSY);
            }
            // Like a driver: what it cannot do it replaces by what it can.
            const FakeFormat* chosen = &node.formats.front();
            for (const FakeFormat& offered : node.formats) {
                if (offered.pixelFormat == format->fmt.pix.pixelformat) {
                    chosen = &offered;
                }
            }
            descriptor.format = *chosen;
            v4l2_pix_format& pix = format->fmt.pix;
            if (!Offers640x480(*chosen)) {
                pix.width = chosen->stepwise ? chosen->stepwise->max_width : chosen->sizes[0].first;
                pix.height =
                    chosen->stepwise ? chosen->stepwise->max_height : chosen->sizes[0].second;
            }
            pix.pixelformat = chosen->pixelFormat;
            pix.bytesperline = RowBytes(chosen->pixelFormat) + node.rowPadding;
            pix.sizeimage = chosen->pixelFormat == V4L2_PIX_FMT_YUV420
                                ? pix.bytesperline * pix.height * 3 / 2
                                : pix.bytesperline * pix.height;
            descriptor.bytesPerLine = pix.bytesperline;
            descriptor.imageBytes = pix.sizeimage;
            return 0;
        }
        case VIDIOC_G_PARM: {
            auto* rate = static_cast<v4l2_streamparm*>(argument);
            rate->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
            rate->parm.capture.timeperframe = {1, 30};
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
            descriptor.buffers.clear();
            descriptor.queued.clear();
            buffers->count = std::min<std::uint32_t>(buffers->count, 8);
            descriptor.buffers.assign(buffers->count,
                                      std::vector<std::uint8_t>(descriptor.imageBytes));
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (buffer->index >= descriptor.buffers.size()) {
                return Fail(EINVAL);
            }
            buffer->length = descriptor.imageBytes;
            buffer->m.offset = buffer->index * kOffsetStride;
            return 0;
        }
        case VIDIOC_QBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (buffer->index >= descriptor.buffers.size()) {
                return Fail(EINVAL);
            }
            descriptor.queued.push_back(buffer->index);
            return 0;
        }
        case VIDIOC_DQBUF: {
            auto* buffer = static_cast<v4l2_buffer*>(argument);
            if (!descriptor.streaming || !nodes_[descriptor.node].delivering ||
                descriptor.queued.empty()) {
                return Fail(EAGAIN);
            }
            buffer->index = descriptor.queued.front();
            descriptor.queued.pop_front();
            FillPicture(descriptor, descriptor.buffers[buffer->index]);
            buffer->bytesused = descriptor.imageBytes;
            buffer->flags = 0;
            buffer->sequence = descriptor.sequence++;
            return 0;
        }
        case VIDIOC_STREAMON:
            if (descriptor.buffers.empty()) {
                return Fail(EINVAL);
            }
            descriptor.streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            descriptor.streaming = false;
            descriptor.queued.clear();
            return 0;
        default:
            return Fail(ENOTTY);
    }
}

}  // namespace veltranix::testing
