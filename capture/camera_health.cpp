#include "capture/camera_health.h"

namespace veltranix {

void CameraHealthMonitor::setHealth(CameraHealth health) {
    std::lock_guard lock(mutex_);
    status_.health = health;
}

void CameraHealthMonitor::frameArrived(std::chrono::milliseconds now) {
    lastSignOfLife_ = now;
    std::lock_guard lock(mutex_);
    if (status_.health != CameraHealth::Streaming) {
        status_.health = CameraHealth::Streaming;
        ++status_.recoveries;
    }
}

void CameraHealthMonitor::deviceLost(std::chrono::milliseconds now) {
    setHealth(CameraHealth::Lost);
    nextReopen_ = now;
}

bool CameraHealthMonitor::checkFrozen(std::chrono::milliseconds now) {
    if (now - lastSignOfLife_ < kCameraFrozenAfter) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        // A camera that was lost and came back silent stays Lost.
        if (status_.health == CameraHealth::Streaming) {
            status_.health = CameraHealth::Frozen;
        }
    }
    nextReopen_ = now;
    return true;
}

void CameraHealthMonitor::reopened(std::chrono::milliseconds now) {
    lastSignOfLife_ = now;
}

bool CameraHealthMonitor::reopenDue(std::chrono::milliseconds now) const {
    return now >= nextReopen_;
}

void CameraHealthMonitor::reopenFailed(std::chrono::milliseconds now) {
    nextReopen_ = now + kCameraReopenPeriod;
}

std::chrono::milliseconds CameraHealthMonitor::nextReopen() const {
    return nextReopen_;
}

CameraStatus CameraHealthMonitor::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

}  // namespace veltranix
