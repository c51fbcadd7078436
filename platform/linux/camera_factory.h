#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "capture/camera_source.h"
#include "platform/linux/v4l2_camera.h"

namespace veltranix {

// What the program's `--camera` argument asks for.
enum class CameraKind {
    AutoDevice,    // empty: the first V4L2 capture device
    Device,        // a path under /dev, or any character device: that V4L2 device
    VideoFile,     // any other existing file: the video played as the camera
    Unrecognised,  // none of these (a missing file, a folder)
};

struct CameraRequest {
    CameraKind kind = CameraKind::AutoDevice;
    std::string path;  // the device or video; empty for AutoDevice
};

CameraRequest ParseCameraArgument(std::string_view argument);

// The demonstration video beside the program.
std::filesystem::path DemoVideo(const std::filesystem::path& programFolder);

// A camera that is neither a device nor a video, named "PREFIXREST" (a build
// of the program adds its own, for instance a synthetic face).
struct ExtraCameraSource {
    std::string prefix;
    // Opens the camera REST names; `programFolder` holds the program's data.
    std::function<OpenedCamera(std::string_view rest, const std::filesystem::path& programFolder,
                               CameraStart start)>
        open;
};

// Starts the camera the `--camera` argument names: an extra source whose
// prefix it starts with, else as ParseCameraArgument says. On the GUI
// thread, at start-up; the source streams on a thread of its own. With
// KeepTrying a capture device that is absent, busy or failing gives a
// waiting source.
OpenedCamera OpenCamera(std::string_view cameraArgument, const std::filesystem::path& programFolder,
                        CameraStart start = CameraStart::FailAtOnce,
                        std::span<const ExtraCameraSource> extraSources = {});

// The V4L2 capture devices of this machine (for --list-cameras and scripts).
std::vector<CaptureDevice> ListCaptureDevices();

// The devices the user may choose from: those that offer colour, or all of
// them when none does (as FirstCamera falls back).
std::vector<CaptureDevice> ChoosableCameras(const std::vector<CaptureDevice>& devices);
// The device among `devices` that a camera argument opens: the FirstCamera
// for an empty one, else the one it names by its node or stable path; null
// for a video, an extra source or a device not listed.
const CaptureDevice* DeviceFor(std::string_view cameraArgument,
                               const std::vector<CaptureDevice>& devices);
// The camera argument the program opens: `--camera` when given (for this
// run); else the camera stored in the settings while it is among `devices`;
// else empty, the first camera. A stored camera that is unplugged never
// keeps the user from tracking with another.
std::string CameraToOpen(std::string_view commandLineCamera, std::string_view storedCamera,
                         const std::vector<CaptureDevice>& devices);

}  // namespace veltranix
