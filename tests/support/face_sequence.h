#pragma once

#include "capture/synthetic_face.h"

namespace veltranix::testing {

using veltranix::BlinkScenes;
using veltranix::BlinkWhileTalkingScenes;
using veltranix::DriftScenes;
using veltranix::FaceScene;
using veltranix::HeadShakeScenes;
using veltranix::MouthOpeningScenes;
using veltranix::WinkScenes;

// The synthetic face on the shared test photograph.
class FaceSequence : public SyntheticFace {
  public:
    // Aborts the test program when the photograph is missing.
    FaceSequence();
};

}  // namespace veltranix::testing
