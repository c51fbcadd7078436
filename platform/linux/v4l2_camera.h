#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "capture/camera_clock.h"
#include "capture/camera_health.h"
#include "capture/camera_source.h"
#include "capture/frame_mailbox.h"
#include "capture/frame_packing.h"
#include "platform/linux/v4l2_api.h"

namespace veltranix {

// A capture node: its path and the driver's name for the camera.
struct CaptureDevice {
    std::string path;
    std::string card;
    std::string stablePath;     // as V4l2Api::stablePath names it
    bool offersColour = false;  // lists a format of its own that is neither greyscale nor depth
};

// The nodes whose own capabilities include video capture (metadata-only
// nodes are left out), in numeric order. `refused`, when given, receives
// why the first node that could not be opened was refused.
std::vector<CaptureDevice> ListCaptureDevices(V4l2Api& api,
                                              std::optional<CameraOpenError>* refused = nullptr);

// The first camera: the first device that offers colour, so that an
// infrared or depth node beside the ordinary camera is passed over; else the
// first device; null when there is none.
const CaptureDevice* FirstCamera(const std::vector<CaptureDevice>& devices);

// One V4L2 camera without a thread: opening, format choice, streaming with
// four memory-mapped buffers, and recovery. The capture thread calls `step`
// over and over; tests call it directly.
//
// The device is `devicePath`, or when that is empty the FirstCamera.
// The format is the first the driver lists (converted formats come after the
// native ones) that is YUYV, YU12, RGB24 or BGR24 and offers 640 x 480.
// A device that fails (unplugged, suspended) becomes Lost and one that sends
// nothing for 2 s Frozen; either is closed and opened again (the same path,
// or again the first camera) at once and then every 2 s until frames
// come back.
class V4l2Capture {
  public:
    static constexpr std::chrono::milliseconds kPollTimeout{100};

    V4l2Capture(V4l2Api& api, CameraClock& clock, std::string devicePath);
    ~V4l2Capture();
    V4l2Capture(const V4l2Capture&) = delete;
    V4l2Capture& operator=(const V4l2Capture&) = delete;

    // Opens the device and starts streaming; the error when it cannot (then
    // the device is Lost, and `step` tries again 2 s later).
    std::optional<CameraOpenError> start();
    // One round of the capture thread; returns within about 100 ms: waits for
    // a frame and publishes it, or notices a lost or frozen device, or tries
    // to reopen one when that is due.
    void step();

    FrameMailbox& mailbox() { return mailbox_; }
    CameraStatus status() const { return health_.status(); }
    std::string description() const;  // any thread
    bool deviceOpen() const { return fd_ >= 0; }

  private:
    struct MappedBuffer {
        void* start = nullptr;
        std::size_t length = 0;
    };
    enum class Dequeued { Frame, NoFrame, Lost };

    std::optional<CameraOpenError> openDevice();
    std::optional<CameraOpenError> startStreaming(const std::string& path, const std::string& card);
    void closeDevice();
    void loseDevice();
    Dequeued dequeueFrame(short returnedEvents);

    V4l2Api& api_;
    CameraClock& clock_;
    const std::string requestedPath_;
    int fd_ = -1;
    std::vector<MappedBuffer> buffers_;
    CameraPixels pixels_ = CameraPixels::Yuyv;
    std::size_t bytesPerLine_ = 0;
    FrameMailbox mailbox_;
    CameraHealthMonitor health_;
    mutable std::mutex descriptionMutex_;
    std::string description_;
};

// The V4L2 camera on a capture thread of its own.
class V4l2Camera : public CameraSource {
  public:
    // Starts streaming and the thread; the error when the camera cannot start
    // (with KeepTrying, a waiting source as well).
    static OpenedCamera Open(std::shared_ptr<V4l2Api> api, std::shared_ptr<CameraClock> clock,
                             const std::string& devicePath,
                             CameraStart start = CameraStart::FailAtOnce);
    ~V4l2Camera() override;

    bool takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) override;
    CameraStatus status() const override { return capture_.status(); }
    std::string description() const override { return capture_.description(); }

  private:
    V4l2Camera(std::shared_ptr<V4l2Api> api, std::shared_ptr<CameraClock> clock,
               const std::string& devicePath);

    std::shared_ptr<V4l2Api> api_;
    std::shared_ptr<CameraClock> clock_;
    V4l2Capture capture_;
    std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace veltranix
