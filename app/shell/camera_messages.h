#pragma once

#include <string>

#include "capture/camera_source.h"
#include "settings/lexicon.h"

namespace veltranix {

// The words for a camera that could not be started: key "e1" for no
// device, "e2" for no format the program reads, "e3" followed by
// ". -> " and the failed step otherwise. Shown with the caption of key "e4".
std::string CameraFailureMessage(const CameraOpenError& error, const Lexicon& lexicon);

}  // namespace veltranix
