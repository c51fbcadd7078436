#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "capture/capture_frame.h"

namespace veltranix {

// Why no camera could be started; each maps to a lexicon message.
enum class CameraFailure {
    NoDevice,    // "e1": no capture device at all
    NoFormat,    // "e2": no 640 x 480 format the engine reads, not even converted
    StepFailed,  // "e3": busy, refused, streaming could not start; `step` says which
};
struct CameraOpenError {
    CameraFailure failure = CameraFailure::NoDevice;
    std::string
        step;  // for StepFailed: e.g. "/dev/video0: VIDIOC_STREAMON: Device or resource busy"
};

enum class CameraHealth {
    Streaming,  // frames arrive
    Frozen,     // the device is open but sent no frame for 2 s; being reopened every 2 s
    Lost,       // the device is gone (unplugged, ENODEV, suspend); reopened every 2 s
};

struct CameraStatus {
    CameraHealth health = CameraHealth::Streaming;
    // Counts the times frames returned after a loss; the GUI restarts tracking from
    // Reset when it changes.
    std::uint64_t recoveries = 0;
};

// One camera, streaming on a thread of its own. Every member is called on the GUI thread.
class CameraSource {
  public:
    virtual ~CameraSource() = default;  // stops the thread; returns within ~200 ms
    // Copies the newest complete frame not taken before into `bytes` (resized to the
    // layout's size) and sets `layout`; false when no new frame came since the last call.
    // Never blocks for longer than a copy.
    virtual bool takeNewestFrame(std::vector<std::uint8_t>& bytes, FrameLayout& layout) = 0;
    virtual CameraStatus status() const = 0;
    // For the set-up bar and logs, e.g. "/dev/video0 (Integrated Camera) YUYV 640 x 480".
    virtual std::string description() const = 0;
};

// What starting a camera does when its device cannot be opened now.
enum class CameraStart {
    FailAtOnce,  // no source, the error
    KeepTrying,  // a source that opens the device once it can, tried every 2 s
};

// The result of starting a camera: a streaming source, or why there is none.
struct OpenedCamera {
    std::unique_ptr<CameraSource> source;  // null when the camera could not be started
    CameraOpenError error;  // why there is no source, or why a waiting one has no device yet
    // The source has no device yet and keeps trying (its health is not
    // Streaming until the first frame comes).
    bool waiting = false;
};

inline OpenedCamera CameraFailed(CameraFailure failure, std::string step = {}) {
    return {nullptr, {failure, std::move(step)}};
}
}  // namespace veltranix
