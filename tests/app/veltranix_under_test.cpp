// veltranix-under-test: the program with one more camera, "steered:CONTROL",
// the synthetic face the desktop tests move through the control file CONTROL.
#include <memory>

#include "app/veltranix/run_program.h"
#include "capture/camera_clock.h"
#include "tests/capture/steered_face_camera.h"

int main(int argc, char** argv) {
    using namespace veltranix;
    ExtraCameraSource steered{
        "steered:",
        [](std::string_view control, const std::filesystem::path& programFolder, CameraStart) {
            if (control.empty()) {
                return CameraFailed(CameraFailure::StepFailed, "steered: names no control file");
            }
            return SteeredFaceCamera::Open(programFolder / "demo" / "face.png", control,
                                           std::make_shared<SteadyCameraClock>());
        }};
    return RunProgram(argc, argv, {steered});
}
