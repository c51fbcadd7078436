#include "app/shell/camera_messages.h"

namespace veltranix {

std::string CameraFailureMessage(const CameraOpenError& error, const Lexicon& lexicon) {
    switch (error.failure) {
        case CameraFailure::NoDevice:
            return lexicon.text(LexiconKey::E1);
        case CameraFailure::NoFormat:
            return lexicon.text(LexiconKey::E2);
        case CameraFailure::StepFailed:
            break;
    }
    return lexicon.text(LexiconKey::E3) + ". -> " + error.step;
}

}  // namespace veltranix
