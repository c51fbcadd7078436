#pragma once

#include <chrono>
#include <mutex>

#include "capture/camera_source.h"

namespace veltranix {

// A camera that sent nothing for this long counts as frozen.
inline constexpr std::chrono::milliseconds kCameraFrozenAfter{2000};
// A lost or frozen camera is reopened this often.
inline constexpr std::chrono::milliseconds kCameraReopenPeriod{2000};

// The health of one camera and when to try reopening it. The capture thread
// reports what happens; `status` may be read from any thread.
class CameraHealthMonitor {
  public:
    explicit CameraHealthMonitor(std::chrono::milliseconds now) : lastSignOfLife_(now) {}

    // A frame arrived: Streaming again, one recovery more if it was not.
    void frameArrived(std::chrono::milliseconds now);
    // The device is gone or failing: Lost; the first reopening is due at once.
    void deviceLost(std::chrono::milliseconds now);
    // True when the open device has sent nothing for `kCameraFrozenAfter`
    // since its last frame or its opening; then health is Frozen and a
    // reopening is due at once.
    bool checkFrozen(std::chrono::milliseconds now);
    // The device was opened again; the frozen timeout starts afresh.
    void reopened(std::chrono::milliseconds now);
    // Whether an attempt to reopen is due; `reopenFailed` puts the next one a
    // period later.
    bool reopenDue(std::chrono::milliseconds now) const;
    void reopenFailed(std::chrono::milliseconds now);
    std::chrono::milliseconds nextReopen() const;

    CameraStatus status() const;

  private:
    void setHealth(CameraHealth health);

    mutable std::mutex mutex_;  // guards status_ against the GUI thread's reads
    CameraStatus status_;
    std::chrono::milliseconds lastSignOfLife_;
    std::chrono::milliseconds nextReopen_{0};
};

}  // namespace veltranix
