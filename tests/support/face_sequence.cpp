#include "tests/support/face_sequence.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace veltranix::testing {

namespace {

SyntheticFace LoadTestFace() {
    const char* path = VELTRANIX_SHARED_TESTDATA "/astronaut.png";
    std::optional<SyntheticFace> face = SyntheticFace::Load(path);
    if (!face) {
        std::fprintf(stderr, "cannot read the test photograph %s\n", path);
        std::abort();
    }
    return *std::move(face);
}

}  // namespace

FaceSequence::FaceSequence() : SyntheticFace(LoadTestFace()) {}

}  // namespace veltranix::testing
