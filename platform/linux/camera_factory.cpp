#include "platform/linux/camera_factory.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <system_error>

#include "capture/camera_clock.h"
#include "capture/video_file_camera.h"

namespace veltranix {

CameraRequest ParseCameraArgument(std::string_view argument) {
    const std::string text(argument);
    if (text.empty()) {
        return {CameraKind::AutoDevice, {}};
    }
    std::error_code error;
    if (text.rfind("/dev/", 0) == 0 || std::filesystem::is_character_file(text, error)) {
        return {CameraKind::Device, text};
    }
    if (std::filesystem::is_regular_file(text, error)) {
        return {CameraKind::VideoFile, text};
    }
    return {CameraKind::Unrecognised, text};
}

std::filesystem::path DemoVideo(const std::filesystem::path& programFolder) {
    return programFolder / "demo" / "demo.y4m";
}

OpenedCamera OpenCamera(std::string_view cameraArgument, const std::filesystem::path& programFolder,
                        CameraStart start, std::span<const ExtraCameraSource> extraSources) {
    for (const ExtraCameraSource& extra : extraSources) {
        if (cameraArgument.starts_with(extra.prefix)) {
            return extra.open(cameraArgument.substr(extra.prefix.size()), programFolder, start);
        }
    }
    const CameraRequest request = ParseCameraArgument(cameraArgument);
    switch (request.kind) {
        case CameraKind::AutoDevice:
        case CameraKind::Device:
            return V4l2Camera::Open(std::make_shared<LibV4l2Api>(),
                                    std::make_shared<SteadyCameraClock>(), request.path, start);
        case CameraKind::VideoFile:
            return VideoFileCamera::Open(request.path);
        case CameraKind::Unrecognised:
            break;
    }
    return CameraFailed(CameraFailure::StepFailed,
                        request.path + ": no such camera (a device or a video file)");
}

std::vector<CaptureDevice> ListCaptureDevices() {
    LibV4l2Api api;
    return ListCaptureDevices(api);
}

std::vector<CaptureDevice> ChoosableCameras(const std::vector<CaptureDevice>& devices) {
    std::vector<CaptureDevice> colour;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(colour),
                 [](const CaptureDevice& device) { return device.offersColour; });
    return colour.empty() ? devices : colour;
}

const CaptureDevice* DeviceFor(std::string_view cameraArgument,
                               const std::vector<CaptureDevice>& devices) {
    if (cameraArgument.empty()) {
        return FirstCamera(devices);
    }
    const auto named = std::find_if(devices.begin(), devices.end(), [&](const CaptureDevice& d) {
        return d.path == cameraArgument || d.stablePath == cameraArgument;
    });
    return named != devices.end() ? &*named : nullptr;
}

std::string CameraToOpen(std::string_view commandLineCamera, std::string_view storedCamera,
                         const std::vector<CaptureDevice>& devices) {
    if (!commandLineCamera.empty()) {
        return std::string(commandLineCamera);
    }
    if (!storedCamera.empty() && DeviceFor(storedCamera, devices) != nullptr) {
        return std::string(storedCamera);
    }
    return {};
}

}  // namespace veltranix
