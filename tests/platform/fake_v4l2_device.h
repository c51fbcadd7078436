#pragma once

#include <linux/videodev2.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/v4l2_api.h"
#include "tests/fakes/fake_camera_clock.h"

namespace veltranix::testing {

struct FakeFormat {
    std::uint32_t pixelFormat = V4L2_PIX_FMT_YUYV;
    std::uint32_t flags = 0;  // V4L2_FMT_FLAG_EMULATED: converted by libv4l2
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes{{640, 480}};
    std::optional<v4l2_frmsize_stepwise> stepwise;  // instead of `sizes`
    int setErrno = 0;                               // VIDIOC_S_FMT of it fails with it
};

struct FakeNode {
    std::string path;
    std::vector<FakeFormat> formats;
    std::uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    int openErrno = 0;                          // open fails with it
    std::map<unsigned long, int> failingCalls;  // ioctl request: the errno it fails with
    std::uint32_t rowPadding = 0;               // bytes after each row
    std::string stablePath;                     // its /dev/v4l/by-id link; empty: none
};

// The red, green and blue of pixel (x, y) in the fake camera's RGB pictures.
struct FakeColour {
    std::uint8_t red, green, blue;
};
inline FakeColour FakePixel(int x, int y) {
    return {static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(y % 256),
            static_cast<std::uint8_t>((x / 256) * 64 + (y / 256) * 16 + 3)};
}

// Capture nodes, all of card "Fake Camera", that answer the calls the way
// V4L2 drivers do: formats, frame sizes, buffers, streaming; a node can be
// unplugged (calls on its descriptors fail with ENODEV, opening with ENOENT)
// and plugged back, or stop delivering frames. Polling without a frame moves
// the clock on by the timeout. An open without O_CLOEXEC fails with EINVAL:
// the camera must not leak into the programs that macros start. Thread-safe.
class FakeV4l2 : public V4l2Api {
  public:
    explicit FakeV4l2(FakeCameraClock& clock) : clock_(clock) {}

    void addNode(FakeNode node);
    void setPresent(const std::string& path, bool present);
    void setDelivering(const std::string& path, bool delivering);
    // When each open of the node `path`, by either of its names, was attempted.
    std::vector<std::chrono::milliseconds> openTimes(const std::string& path) const;
    int openDescriptors() const;
    int mappedBuffers() const;
    std::optional<v4l2_fract> requestedFrameInterval() const;

    std::vector<std::string> videoNodes() override;
    std::string stablePath(const std::string& node) override;
    int open(const std::string& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* argument) override;
    void* mmap(std::size_t length, int protection, int flags, int fd, std::int64_t offset) override;
    int munmap(void* address, std::size_t length) override;
    int poll(int fd, short events, int timeoutMs, short& returnedEvents) override;

  private:
    struct Node {
        FakeNode node;
        bool present = true;
        bool delivering = true;
        int generation = 0;  // descriptors of an older generation belong to an unplugged device
        std::vector<std::chrono::milliseconds> openTimes;
    };
    struct Descriptor {
        Node* node = nullptr;
        int generation = 0;
        const FakeFormat* format = nullptr;
        std::uint32_t bytesPerLine = 0;
        std::uint32_t imageBytes = 0;
        std::vector<std::vector<std::uint8_t>> buffers;
        std::deque<std::uint32_t> queued;
        bool streaming = false;
        std::uint32_t sequence = 0;
        bool Alive() const { return node->present && node->generation == generation; }
        bool FrameReady() const { return streaming && node->delivering && !queued.empty(); }
    };

    Node* Find(const std::string& path);
    // The live descriptor `fd`, or null with errno set as a driver sets it.
    Descriptor* Live(int fd);
    int Control(Descriptor& descriptor, unsigned long request, void* argument);

    FakeCameraClock& clock_;
    mutable std::mutex mutex_;
    std::deque<Node> nodes_;
    std::map<int, Descriptor> descriptors_;
    int nextDescriptor_ = 40;
    int mapped_ = 0;
    std::optional<v4l2_fract> frameInterval_;
};

}  // namespace veltranix::testing
